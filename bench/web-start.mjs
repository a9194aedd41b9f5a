// The web page in each engine the tests drive (Chromium, Firefox, WebKit), with the tests' own
// drivers: the time from opening the file to the first paint, which is the welcome box's,
// against a bare page that opens a dialog; and how late the reveal comes after its 5000 ms.
// It reports; it never fails. Firefox and WebKit draw real windows: run it on an X server.
// usage: node bench/web-start.mjs BUILD_FOLDER [STARTS] [REVEALS]
import { readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [build = 'build', starts = 5, reveals = 10] = process.argv.slice(2);
const cache = readFileSync(resolve(build, 'CMakeCache.txt'), 'utf8');
const found = (name) => cache.match(new RegExp(`^${name}:FILEPATH=(.*)$`, 'm'))[1];
Object.assign(process.env, {
  QUELLARY_NODE_MODULES: resolve(build, 'tests/web/node_modules'), QUELLARY_PAGE: resolve(build, 'web/quellary.html') });
const { engines, url } = await import('../tests/web/page.mjs');

const figures = (ms) => {
  ms.sort((a, b) => a - b);
  return `median ${ms[Math.floor(ms.length / 2)].toFixed(1)} ms, best ${ms[0].toFixed(1)}, worst ${ms.at(-1).toFixed(1)} (${ms.length} runs)`;
};
const bare = resolve(tmpdir(), 'quellary-bench-bare.html');
writeFileSync(bare, '<!DOCTYPE html><dialog><p>Welcome</p><button>OK</button></dialog><script>document.querySelector("dialog").showModal()</script>');

for (const engine of ['chromium', 'firefox', 'webkit']) {
  process.env.QUELLARY_BROWSER = found(engine.toUpperCase());
  const page = await engines[engine]({});
  await page.resize({ width: 1024, height: 768 });
  // Warm: each file once before it is timed, then opened again and again.
  const opening = async (file) => {
    const painted = [];
    for (let run = 0; run <= starts; ++run) {
      await page.goto(file);
      const at = await page.run(() => new Promise((done) => new PerformanceObserver((list) => {
        const [first] = list.getEntriesByName('first-contentful-paint');
        if (first) done(first.startTime);
      }).observe({ type: 'paint', buffered: true })));
      if (run) painted.push(at);
    }
    return figures(painted);
  };
  console.log(`${engine}: open → welcome box painted: ${await opening(url)}`);
  console.log(`${engine}: open → a bare page's dialog painted: ${await opening(pathToFileURL(bare).href)}`);
  await page.goto(url);
  await page.click('button', 'OK');
  const late = [];
  for (let run = 0; run < reveals; ++run) {
    await page.run(() => {
      window.late = null;
      // The page makes the change in a frame's callback, which draws it.
      addEventListener('click', (click) => new MutationObserver((_, watching) => document.body.innerText.includes('DONE!') &&
        (watching.disconnect(), (late = performance.now() - click.timeStamp - 5000)))
        .observe(document.body, { subtree: true, childList: true }), { once: true });
    });
    await page.click('button', 'Calculate my thoughts');
    while ((await page.run(() => window.late)) === null) await new Promise((done) => setTimeout(done, 100));
    late.push(await page.run(() => window.late));
    await page.click('button', 'One more time please');
  }
  console.log(`${engine}: reveal after the press's 5000 ms: ${figures(late)} late`);
  await page.close();
}
