// The web page in headless Chromium: the time from opening the file to the frame that draws
// the welcome box, against a bare page that opens a dialog, and how late the reveal is drawn
// after its 5000 ms. It reports; it never fails.
// usage: node bench/web-start.mjs BUILD_FOLDER [STARTS] [REVEALS]
import { writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [build = 'build', starts = 20, reveals = 5] = process.argv.slice(2);
const puppeteer = createRequire(`${resolve(build, 'tests/web')}/`)('puppeteer-core');
const url = pathToFileURL(resolve(build, 'web/quellary.html')).href;
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  args: process.getuid() === 0 ? ['--no-sandbox'] : [],
});
const figures = (ms) => {
  ms.sort((a, b) => a - b);
  const at = (share) => ms[Math.min(ms.length - 1, Math.floor(share * ms.length))].toFixed(1);
  return `median ${at(0.5)} ms, best ${at(0)}, worst ${at(1)} (${ms.length} runs)`;
};
const button = (name) => `::-p-aria([name="${name}"][role="button"])`;

// Each start in a fresh profile; the time is the page's own, from the start of its navigation
// to the frame that draws the box (its animation callbacks run as that frame is made).
async function opening(url) {
  const opened = [];
  for (let run = 0; run < starts; ++run) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.evaluateOnNewDocument(() => {
      window.drawn = new Promise((done) => new MutationObserver((_, watch) => {
        if (document.querySelector('dialog[open]')) watch.disconnect(), requestAnimationFrame(() => done(performance.now()));
      }).observe(document, { subtree: true, attributes: true, childList: true }));
    });
    await page.goto(url);
    opened.push(await page.evaluate(() => window.drawn));
    await context.close();
  }
  return figures(opened);
}
const bare = resolve(tmpdir(), 'quellary-bench-bare.html');
writeFileSync(bare, '<!DOCTYPE html><dialog><p>Welcome</p><button>OK</button></dialog><script>document.querySelector("dialog").showModal()</script>');
console.log(`open → welcome box drawn: ${await opening(url)}`);
console.log(`open → a bare page's dialog drawn: ${await opening(pathToFileURL(bare).href)}`);

const page = await browser.newPage();
await page.goto(url);
await page.locator(button('OK')).click();
const late = [];
for (let run = 0; run < reveals; ++run) {
  const revealed = page.evaluate(() => new Promise((done) => addEventListener('click', (click) =>
    new MutationObserver((_, watch) => document.body.innerText.includes('DONE!') &&
      (watch.disconnect(), requestAnimationFrame(() => done(performance.now() - click.timeStamp - 5000))))
      .observe(document.body, { subtree: true, childList: true }), { once: true })));
  await page.locator(button('Calculate my thoughts')).click();
  late.push(await revealed);
  await page.locator(button('One more time please')).click();
}
console.log(`reveal drawn after 5000 ms: ${figures(late)} late`);
await browser.close();
