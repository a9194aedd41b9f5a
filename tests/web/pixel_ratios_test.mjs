// The cards sharp at any devicePixelRatio: at the designed size the bitmap made for exactly
// 1x or 2x, otherwise the vector art; the ratio also changes as the browser zooms.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { box, dismiss, open, shots } from './page.mjs';

test('the cards at devicePixelRatio 1, 1.5, 2 and 3', async () => {
  const { browser, page } = await open({ viewport: { width: 545, height: 400 } });
  // What the browser draws the cards from: a bitmap with its width, or vector art.
  const picture = () => page.$eval('img:not([hidden])', (img) => (img.src.startsWith('data:image/png') ? img.naturalWidth : 'vector'));
  try {
    for (const [ratio, drawn] of [[1, 438], [1.5, 'vector'], [2, 876], [3, 'vector']]) {
      await page.setViewport({ width: 545, height: 400, deviceScaleFactor: ratio });
      await page.reload();
      await box(page);
      await dismiss(page);
      assert.equal(await picture(), drawn, `at ${ratio}x`);
      await page.screenshot({ path: `${shots}/ratio-${ratio}.png` });
    }
    // Larger than designed, the form grows by one factor and sits in the middle.
    await page.setViewport({ width: 1280, height: 800, deviceScaleFactor: 1 });
    await page.waitForFunction(() => document.querySelector('img:not([hidden])').getBoundingClientRect().width > 438);
    const form = await page.$eval('#form', (form) => form.getBoundingClientRect().toJSON());
    assert.ok(Math.abs(form.left + form.width / 2 - 640) < 1 && form.width > 900, JSON.stringify(form));
    assert.equal(await picture(), 'vector');
    await page.screenshot({ path: `${shots}/desktop.png` });
  } finally {
    await browser.close();
  }
});
