// The one check on the real clock: the reveal never comes before 5000 ms, and a tab that the
// browser freezes meanwhile gets it as soon as it runs again (only Chromium's driver freezes one).
import assert from 'node:assert/strict';
import { engine, session, settles } from './page.mjs';

session('the real 5000 ms countdown, and a frozen tab', { clock: false }, async (page) => {
  // Milliseconds from the next click to the reveal.
  const reveal = async () => {
    await page.run(() => {
      window.took = null;
      addEventListener('click', (click) => new MutationObserver((_, watching) => document.body.innerText.includes('DONE!') &&
        (watching.disconnect(), (took = performance.now() - click.timeStamp))).observe(document.body, { subtree: true, childList: true }), { once: true });
    });
    await page.press('Calculate my thoughts');
    for (let took; ; await new Promise((resolve) => setTimeout(resolve, 100))) if ((took = await page.run(() => window.took))) return took;
  };
  await page.dismiss();
  const late = (await reveal()) - 5000;
  assert.ok(late >= 0 && late < 3000, `the reveal came ${late} ms after 5000 ms`);
  if (engine !== 'chromium') return;
  await page.press('One more time please');
  const cdp = await page.puppeteer.createCDPSession();
  const revealed = reveal();
  await settles(() => page.text().then((text) => text.includes('Calculating')), true);
  await cdp.send('Page.setWebLifecycleState', { state: 'frozen' });
  // Frozen past the reveal's time: nothing in the page can be waited on meanwhile.
  const thawed = Date.now() + 5500;
  while (Date.now() < thawed) await new Promise((resolve) => setTimeout(resolve, thawed - Date.now()));
  await cdp.send('Page.setWebLifecycleState', { state: 'active' });
  const after = await revealed;
  assert.ok(after >= 5500 && after < 9000, `the reveal came ${after} ms after the press`);
});
