// The whole trick with the boxes, the reveal behind About, and Exit; the session sees that no
// request leaves the one file, and the page's policy allows none.
import assert from 'node:assert/strict';
import { advance, box, buttons, dismiss, menu, press, reveal, session, settles, text, until } from './page.mjs';

session('the trick, its boxes and Exit, with no network request', {}, async (page) => {
  assert.match(await box(page), /Welcome to Velado's 'Quellary' program!/);
  assert.deepEqual(await buttons(page), ['button OK (focused)']);  // the form comes after
  await dismiss(page, 'Escape');
  await settles(() => buttons(page), ['button Calculate my thoughts (focused)', 'button Exit']);
  await press(page, 'Calculate my thoughts');
  await advance(page, 3000);
  await press(page, 'Calculate my thoughts');  // the countdown starts afresh
  await advance(page, 4999);
  assert.match(await text(page), /Calculating\.\.\.\.\. Please wait!/);
  await advance(page, 1);
  await until(page, 'DONE! Your card is gone!');
  // The focus leaves the hidden button for the first one shown.
  const after = ['button One more time please (focused)', 'button The Answer to the problem', 'button Exit'];
  await settles(() => buttons(page), after);
  await press(page, 'The Answer to the problem');
  assert.match(await box(page), /There was no mind reading at all/);
  await dismiss(page);
  await press(page, 'One more time please');
  await press(page, 'Calculate my thoughts');
  await menu(page, 'About');
  assert.match(await box(page), /Quellary 1\.00\nA mind-reading card trick by Velado/);
  await reveal(page);  // behind the box, which stays
  await dismiss(page);
  await settles(() => buttons(page), after);
  await press(page, 'One more time please');
  await press(page, 'Calculate my thoughts');
  await press(page, 'Exit');  // during the countdown: no reveal follows
  await until(page, 'Quellary has ended.');
  await advance(page, 10000);
  assert.deepEqual([await buttons(page), (await text(page)).includes('DONE!')], [[], false]);
  await page.reload();
  assert.match(await box(page), /Welcome/);
  const policy = await page.$eval('meta[http-equiv="Content-Security-Policy"]', (meta) => meta.content);
  assert.match(policy, /^default-src 'none'; .*require-trusted-types-for 'script'/);  // no text as HTML
  assert.doesNotMatch(policy, /unsafe-inline|http|\*/);
});
