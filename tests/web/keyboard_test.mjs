// The keyboard alone: the design's tab order, the focus rule after the reveal, Help by F10.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { advance, box, dismiss, focused, heard, open, until } from './page.mjs';

test('the keyboard alone', async () => {
  const { browser, page } = await open();
  const key = (name) => page.keyboard.press(name);
  const on = async (name) => assert.equal(await focused(page), `${name} (focused)`);
  try {
    await box(page);
    await dismiss(page, 'Enter');
    await on('button Calculate my thoughts');
    await key('Tab');
    await on('button Exit');
    await page.keyboard.down('Shift');
    await key('Tab');
    await page.keyboard.up('Shift');
    await key(' ');
    await until(page, 'Calculating..... Please wait!');
    await advance(page, 5000);
    await until(page, 'DONE! Your card is gone!');
    await on('button One more time please');
    await key('Tab');
    await on('button The Answer to the problem');
    await key('Tab');
    await on('button Exit');

    await key('F10');
    await on('menuitem About');
    await key('ArrowDown');
    await on('menuitem Instructions');
    await key('Enter');
    assert.match(await box(page), /Hey that's very easy/);
    await dismiss(page, 'Escape');
    await on('button Exit');
    await key('F10');
    await key('ArrowUp');
    await on('menuitem Instructions');
    await key('Escape');
    await on('button Exit');
    assert.ok(!(await heard(page)).includes('menuitem About'));
    await key('Enter');
    await until(page, 'Quellary has ended.');
  } finally {
    await browser.close();
  }
});
