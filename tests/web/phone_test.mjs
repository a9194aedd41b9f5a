// A phone in portrait: the form and the box fit its width, nothing scrolls sideways, taps work.
import assert from 'node:assert/strict';
import { box, reveal, session, shots, tap } from './page.mjs';

const viewport = { width: 360, height: 640, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
session('a phone in portrait, by touch', { viewport }, async (page) => {
  const fits = async (selector) => {
    const { x, width } = await (await page.$(selector)).boundingBox();
    assert.ok(x >= 0 && x + width <= 360 && (await page.evaluate(() => document.documentElement.scrollWidth)) === 360);
  };
  await box(page);
  await fits('dialog');
  await tap(page, 'OK');
  await tap(page, 'Calculate my thoughts');
  await reveal(page);
  await fits('#form');
  await page.screenshot({ path: `${shots}/phone.png` });
});
