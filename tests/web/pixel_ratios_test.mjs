// The cards sharp at any devicePixelRatio (browser zoom changes it too): the bitmap made for
// exactly 1x or 2x at the designed size, the vector art otherwise.
import assert from 'node:assert/strict';
import { session, shots, welcomed } from './page.mjs';

session('the cards at devicePixelRatio 1, 1.5, 2 and 3', {}, async (page) => {
  // A bitmap's width, or the vector art.
  const picture = () => page.$eval('img:not([hidden])', (img) => (img.src.startsWith('data:image/png') ? img.naturalWidth : 'vector'));
  for (const [deviceScaleFactor, drawn] of [[1, 438], [1.5, 'vector'], [2, 876], [3, 'vector']]) {
    await page.setViewport({ width: 545, height: 400, deviceScaleFactor });
    await page.reload();
    await welcomed(page);
    assert.equal(await picture(), drawn, `at ${deviceScaleFactor}x`);
    await page.screenshot({ path: `${shots}/ratio-${deviceScaleFactor}.png` });
  }
  // Larger, the form grows by one factor and sits in the middle.
  await page.setViewport({ width: 1280, height: 800 });
  await page.waitForFunction(() => document.querySelector('#form').getBoundingClientRect().width > 900);
  const { left, width } = await page.$eval('#form', (form) => form.getBoundingClientRect().toJSON());
  assert.ok(Math.abs(left + width / 2 - 640) < 1 && (await picture()) === 'vector');
  await page.screenshot({ path: `${shots}/desktop.png` });
});
