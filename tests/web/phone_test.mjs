// A phone in portrait: the form fits the width, nothing scrolls sideways, and taps work.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { advance, box, open, shots, tap, until } from './page.mjs';

test('a phone in portrait, by touch', async () => {
  const viewport = { width: 360, height: 640, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
  const { browser, page } = await open({ viewport });
  const fits = async (selector) => {
    const { x, width } = await (await page.$(selector)).boundingBox();
    assert.ok(x >= 0 && x + width <= 360, `${selector} runs from ${x} to ${x + width}`);
    assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 360);
  };
  try {
    await box(page);
    await fits('dialog');
    await tap(page, 'OK');
    await tap(page, 'Calculate my thoughts');
    await advance(page, 5000);
    await until(page, 'DONE! Your card is gone!');
    for (const selector of ['img:not([hidden])', '::-p-aria([name="Exit"][role="button"])']) await fits(selector);
    await page.screenshot({ path: `${shots}/phone.png` });
    await tap(page, 'The Answer to the problem');
    assert.match(await box(page), /There was no mind reading/);
    await fits('dialog');
    await page.screenshot({ path: `${shots}/phone-answer.png` });
  } finally {
    await browser.close();
  }
});
