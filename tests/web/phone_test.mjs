// Phones, upright and on their side: the form in one column, cards first and buttons last, with
// text a person can read and buttons a finger can hit, no caption wrapped or spilling, nothing
// that scrolls sideways, and the trick by touch where the engine has it.
import assert from 'node:assert/strict';
import { session, shot } from './page.mjs';

// Each element shown there: what it says, its font size, box, lines, and whether it spills.
function measure(selector) {
  const lines = (e) => {
    const range = document.createRange();
    range.selectNodeContents(e);
    return new Set([...range.getClientRects()].map((r) => Math.round(r.top))).size;
  };
  return [...document.querySelectorAll(selector)].filter((e) => e.checkVisibility()).map((e) => ({
    words: e.alt ?? e.textContent, size: parseFloat(getComputedStyle(e).fontSize), box: e.getBoundingClientRect().toJSON(),
    button: e.localName === 'button', lines: lines(e), spills: e.scrollWidth > e.clientWidth || e.scrollHeight > e.clientHeight,
  }));
}

const phones = [[320, 568], [360, 640], [390, 844], [640, 360]];
session('phones, upright and on their side', { viewport: { width: 320, height: 568 } }, async (page) => {
  const readable = async (width, selector = '#form > *') => {
    let below = -Infinity;
    for (const { words, size, box, button, lines, spills } of await page.run(measure, selector)) {
      assert.ok(size >= 16, `"${words}" is ${size} px`);
      assert.ok(box.left >= 0 && box.right <= width, `"${words}" runs from ${box.left} to ${box.right} of ${width} px`);
      if (button) assert.ok(lines === 1 && !spills && box.height >= 44, `"${words}" wraps, spills or is ${box.height} px tall`);
      // One column, read top to bottom.
      assert.ok(box.top >= below - 0.5, `"${words}" is beside what comes before it`);
      below = box.bottom;
    }
    assert.ok(await page.run(() => document.documentElement.scrollWidth <= innerWidth), 'the page scrolls sideways');
  };
  for (const [width, height] of phones) {
    await page.resize({ width, height, deviceScaleFactor: 2, hasTouch: true, isMobile: true });
    await page.open();
    await readable(width, 'dialog[open] :is(h1, p, button)');
    await shot(page, `phone-${width}x${height}-box`);
    await page.dismiss();
    await readable(width);
    await page.tap('Calculate my thoughts');
    await page.reveal();
    await readable(width);
    await shot(page, `phone-${width}x${height}`);
  }
});
