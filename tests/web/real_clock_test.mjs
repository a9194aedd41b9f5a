// The one check on the real clock: the reveal never comes before 5000 ms, and a tab that the
// browser freezes meanwhile gets it as soon as it runs again.
import assert from 'node:assert/strict';
import { press, session, welcomed } from './page.mjs';

session('the real 5000 ms countdown, and a frozen tab', { clock: false }, async (page) => {
  // Milliseconds from the next press to the reveal.
  const reveal = () => page.evaluate(() => new Promise((resolve) => addEventListener('click', (click) =>
    new MutationObserver(() => document.body.innerText.includes('DONE!') && resolve(performance.now() - click.timeStamp))
      .observe(document.body, { subtree: true, childList: true }), { once: true })));
  await welcomed(page);
  let revealed = reveal();
  await press(page, 'Calculate my thoughts');
  const late = (await revealed) - 5000;
  assert.ok(late >= 0 && late < 3000, `the reveal came ${late} ms after 5000 ms`);
  await press(page, 'One more time please');
  revealed = reveal();
  await press(page, 'Calculate my thoughts');
  const cdp = await page.createCDPSession();
  await cdp.send('Page.setWebLifecycleState', { state: 'frozen' });
  // Frozen past the reveal's time: nothing in the page can be waited on meanwhile.
  const thawed = Date.now() + 5500;
  while (Date.now() < thawed) await new Promise((resolve) => setTimeout(resolve, thawed - Date.now()));
  await cdp.send('Page.setWebLifecycleState', { state: 'active' });
  const after = await revealed;
  assert.ok(after >= 5500 && after < 9000, `the reveal came ${after} ms after the press`);
});
