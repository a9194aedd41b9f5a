// The one check on the real clock: the reveal never comes before 5000 ms, and a tab the
// browser freezes meanwhile gets it once, as soon as it runs again.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { box, dismiss, open, press } from './page.mjs';

test('the real 5000 ms countdown, and a frozen tab', async () => {
  const { browser, page } = await open({ clock: false });
  // Milliseconds from the press to the reveal, and how many reveals were said.
  const reveal = () => page.evaluate(() => new Promise((resolve) => {
    let pressed;
    addEventListener('click', (event) => (pressed = event.timeStamp), { capture: true, once: true });
    new MutationObserver(() => document.body.innerText.includes('DONE!') && resolve(performance.now() - pressed))
      .observe(document.body, { subtree: true, childList: true, characterData: true });
  }));
  try {
    await box(page);
    await dismiss(page);
    let revealed = reveal();
    await press(page, 'Calculate my thoughts');
    const late = (await revealed) - 5000;
    assert.ok(late >= 0 && late < 3000, `the reveal came ${late} ms after 5000 ms`);

    await press(page, 'One more time please');
    revealed = reveal();
    await press(page, 'Calculate my thoughts');
    const cdp = await page.createCDPSession();
    await cdp.send('Page.setWebLifecycleState', { state: 'frozen' });
    const due = Date.now() + 5500;
    while (Date.now() < due) await new Promise((resolve) => setTimeout(resolve, due - Date.now()));
    await cdp.send('Page.setWebLifecycleState', { state: 'active' });
    const after = await revealed;
    assert.ok(after >= 5000 && after < 9000, `the reveal came ${after} ms after the press`);
    const news = await page.$eval('[role=status]', (region) => region.childElementCount);
    assert.equal(news, 1);
  } finally {
    await browser.close();
  }
});
