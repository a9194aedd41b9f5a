// The page at other pixel ratios and sizes: the cards sharp (the bitmap made for exactly 1x or
// 2x at the designed size, the vector art otherwise), also when the ratio changes while the
// page is open; browser zoom at 50 % and 200 %; a large window, where the form grows by one
// factor in the middle and the boxes' text with it; and forced colours.
import assert from 'node:assert/strict';
import { engine, session, settles, shot } from './page.mjs';

session('pixel ratios, zoom, a large window and forced colours', { viewport: { width: 545, height: 400 } }, async (page) => {
  const picture = () => page.run(() => {
    const img = document.querySelector('#form img:not([hidden])');
    return img.src.startsWith('data:image/png') ? img.naturalWidth : 'vector';
  });
  // The welcome box's text size; then, past it, the form's scale and where its middle is.
  const form = async () => {
    const box = await page.run(() => parseFloat(getComputedStyle(document.querySelector('dialog[open] p')).fontSize));
    await page.dismiss();
    return { box, ...await page.run(() => {
      const { left, width } = document.querySelector('#form').getBoundingClientRect();
      return { scale: width / 545, middle: left + width / 2 };
    }) };
  };
  await page.dismiss();
  // Only puppeteer's engines set the pixel ratio, WebKit's stays 1; and Chromium's tells no media
  // query that it changed, so that it takes a reload there.
  for (const [deviceScaleFactor, drawn] of engine === 'webkit' ? [[1, 438]] : [[1, 438], [1.5, 'vector'], [2, 876], [3, 'vector']]) {
    await page.resize({ width: 545, height: 400, deviceScaleFactor });
    if (engine === 'chromium') await page.open().then(() => page.dismiss());
    await settles(picture, drawn);
    await shot(page, `ratio-${deviceScaleFactor}`);
  }
  // A 1280 x 800 window, and browser zoom on it: the same window in fewer or more CSS pixels.
  for (const zoom of engine === 'webkit' ? [1] : [1, 0.5, 2]) {
    await page.resize({ width: 1280 / zoom, height: 800 / zoom, deviceScaleFactor: zoom });
    await page.open();
    const { scale, middle, box } = await form();
    const drawn = await picture();
    assert.ok(Math.abs(middle - 640 / zoom) < 1 && scale >= 1 && drawn === 'vector', `at ${zoom * 100} %: ${middle}, ${scale}, ${drawn}`);
    assert.ok(Math.abs(box - 12 * scale) < 0.5, `the box's text is ${box} px beside the form's ${12 * scale}`);
    await shot(page, `zoom-${zoom * 100}`);
  }
});

// WebKit has no forced colours. In them, the open menu's item still shows that it has the focus.
session('forced colours', { forced: true, skip: engine === 'webkit' && 'WebKit has no forced colours' }, async (page) => {
  await page.dismiss();
  await page.key('F10');
  await settles(() => page.run(() => [matchMedia('(forced-colors: active)').matches, document.activeElement.textContent,
    getComputedStyle(document.activeElement).outlineStyle]), [true, 'About', 'auto']);
  await shot(page, 'forced-colours');
});
