// The keyboard alone, as a screen reader hears it: a modal box named Quellary, the design's
// tab order, the focus rule after the reveal, Help by F10, the pictures named for their cards,
// and a polite live region that says what the form announces.
import assert from 'node:assert/strict';
import { box, focused, heard, key, reveal, second, session, settles, until } from './page.mjs';

session('the keyboard alone, and what a screen reader hears', {}, async (page) => {
  // Each key, and what has the focus after it (past the page's end, nothing).
  const keys = async (...steps) => {
    for (let i = 0; i < steps.length; i += 2) {
      await key(page, steps[i]);
      await settles(() => focused(page), steps[i + 1] ? `${steps[i + 1]} (focused)` : undefined);
    }
  };
  const cdp = await page.createCDPSession();
  // The live region's politeness and its words.
  const says = async () => {
    const status = (await cdp.send('Accessibility.getFullAXTree')).nodes.find((node) => node.role?.value === 'status');
    return [status.properties.find((property) => property.name === 'live').value.value, (await heard(page)).pop()];
  };
  await box(page);
  assert.deepEqual(await heard(page), ['RootWebArea Quellary', 'dialog Quellary', 'heading Quellary',
    "StaticText Welcome to Velado's 'Quellary' program!", 'button OK (focused)']);
  await keys('Enter', 'button Calculate my thoughts', 'Tab', 'button Exit', 'Tab', null, 'Tab', 'button Calculate my thoughts');
  assert.match((await heard(page)).slice(1, 4).join('|'), /^menuitem Help\|image Cards: King of hearts, Jack of clubs, .*, Jack of diamonds\|StaticText 1\. Select/);
  await key(page, ' ');
  await settles(says, ['polite', 'StaticText Calculating..... Please wait!']);
  await keys('F10', 'menuitem About');
  await reveal(page);  // behind the menu: the focus it gives back is the focus rule's
  await settles(says, ['polite', `StaticText DONE! Your card is gone! ${second}`]);
  await keys('Escape', 'button One more time please', 'Tab', 'button The Answer to the problem', 'Tab', 'button Exit', 'F10', 'menuitem About',
    'ArrowDown', 'menuitem Instructions', 'ArrowDown', 'menuitem About', 'Escape', 'button Exit', 'F10', 'menuitem About',
    'ArrowUp', 'menuitem Instructions', 'Enter', 'button OK');
  assert.match(await box(page), /Hey that's very easy/);
  await keys('Escape', 'button Exit', 'Enter', null);
  await until(page, 'Quellary has ended.');
});
