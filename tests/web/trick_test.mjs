// The whole trick with the boxes, the reveal behind About, and Exit, on the hand-moved clock.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { advance, box, buttons, dismiss, first, heard, open, press, second, text, until } from './page.mjs';

test('the trick, its boxes and Exit', async () => {
  const { browser, page } = await open();
  try {
    assert.match(await box(page), /Welcome to Velado's 'Quellary' program!/);
    assert.deepEqual(await buttons(page), ['button OK (focused)']);  // the form comes after
    await dismiss(page, 'Escape');
    assert.deepEqual(await buttons(page), ['button Calculate my thoughts (focused)', 'button Exit']);
    assert.ok((await heard(page)).includes(`image ${first}`));

    await press(page, 'Calculate my thoughts');
    await until(page, 'Calculating..... Please wait!');
    await advance(page, 3000);
    await press(page, 'Calculate my thoughts');  // the countdown starts afresh
    await advance(page, 4999);
    assert.ok((await text(page)).includes('Calculating..... Please wait!'));
    await advance(page, 1);
    await until(page, 'DONE! Your card is gone!');
    const after = ['button One more time please (focused)', 'button The Answer to the problem', 'button Exit'];
    assert.deepEqual(await buttons(page), after);  // the focus left the hidden button
    assert.ok((await heard(page)).includes(`image ${second}`));

    await press(page, 'The Answer to the problem');
    assert.match(await box(page), /There was no mind reading at all/);
    await dismiss(page);
    await press(page, 'One more time please');
    await page.waitForFunction(() => !document.body.innerText.includes('DONE!'));
    assert.equal((await buttons(page)).length, 4);

    // The reveal falls due behind About, and the box stays.
    await press(page, 'Calculate my thoughts');
    await press(page, 'Help', 'menuitem');
    await press(page, 'About', 'menuitem');
    assert.match(await box(page), /Quellary 1\.00\nA mind-reading card trick by Velado/);
    await advance(page, 5000);
    await until(page, 'DONE! Your card is gone!');
    await dismiss(page);
    await press(page, 'Help', 'menuitem');
    await press(page, 'Instructions', 'menuitem');
    assert.match(await box(page), /Hey that's very easy.*'Calculate my thoughts' Then .* disapeared!/);
    await dismiss(page);

    // Exit during a countdown: no reveal follows, and a reload starts again.
    await press(page, 'One more time please');
    await press(page, 'Calculate my thoughts');
    await press(page, 'Exit');
    await until(page, 'Quellary has ended.');
    await advance(page, 10000);
    assert.deepEqual(await buttons(page), []);
    assert.ok(!(await text(page)).includes('DONE!'));
    await page.reload();
    assert.match(await box(page), /Welcome/);
    assert.deepEqual(page.errors, []);
  } finally {
    await browser.close();
  }
});
