// The keyboard alone: the design's tab order, the focus rule after the reveal, Help by F10.
import assert from 'node:assert/strict';
import { advance, box, focused, key, session, settles, until } from './page.mjs';

session('the keyboard alone', {}, async (page) => {
  // Each key, and what has the focus after it (past the page's end, nothing).
  const keys = async (...steps) => {
    for (let i = 0; i < steps.length; i += 2) {
      await key(page, steps[i]);
      await settles(() => focused(page), steps[i + 1] ? `${steps[i + 1]} (focused)` : undefined);
    }
  };
  await box(page);
  await keys('Enter', 'button Calculate my thoughts', 'Tab', 'button Exit', 'Tab', null, 'Tab', 'button Calculate my thoughts');
  await key(page, ' ');
  await advance(page, 5000);
  await until(page, 'DONE! Your card is gone!');
  await settles(() => focused(page), 'button One more time please (focused)');
  await keys('Tab', 'button The Answer to the problem', 'Tab', 'button Exit', 'F10', 'menuitem About',
    'ArrowDown', 'menuitem Instructions', 'ArrowDown', 'menuitem About', 'Escape', 'button Exit', 'F10', 'menuitem About',
    'ArrowUp', 'menuitem Instructions', 'Enter', 'button OK');
  assert.match(await box(page), /Hey that's very easy/);
  await keys('Escape', 'button Exit', 'Enter', null);
  await until(page, 'Quellary has ended.');
});
