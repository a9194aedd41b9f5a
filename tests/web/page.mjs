// What the page's tests share: the page in one engine (QUELLARY_ENGINE: Debian's Chromium or
// Firefox through puppeteer-core, or WebKitGTK's MiniBrowser through WebKitWebDriver and
// selenium-webdriver, all installed from the lock file), read as a person reads it, on a
// hand-moved clock. Each test is written once against `page` and runs in every engine.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { test } from 'node:test';
import { pathToFileURL } from 'node:url';

const require = createRequire(`${process.env.QUELLARY_NODE_MODULES}/`);
export const engine = process.env.QUELLARY_ENGINE;
export const url = pathToFileURL(process.env.QUELLARY_PAGE).href;
export const form1 = JSON.parse(readFileSync(new URL('../support/form1.json', import.meta.url)));
export const shot = (page, name) => page.shot(`${process.env.QUELLARY_SHOTS}/${engine}-${name}.png`);

// Put into the page once it has loaded, before the first countdown: its timers and its
// performance.now() follow advance(). Errors and requests are kept.
function watch(hand) {
  window.faults = [];
  addEventListener('error', (event) => faults.push(event.message));
  addEventListener('unhandledrejection', (event) => faults.push(String(event.reason)));
  addEventListener('securitypolicyviolation', (event) => faults.push(`refused ${event.blockedURI}`));
  if (!hand) return;
  let now = 0, id = 0;
  const timers = new Map();  // the page's and the driver's: WebKit's driver times its scripts
  performance.now = () => now;
  window.setTimeout = (f, ms = 0) => (timers.set(++id, { f, at: now + ms }), id);
  window.clearTimeout = (key) => timers.delete(key);
  window.advance = (ms) => {
    const end = now + ms;
    for (let due; (due = [...timers].filter(([, t]) => t.at <= end).sort(([, a], [, b]) => a.at - b.at)[0]);) {
      timers.delete(due[0]);
      now = due[1].at;
      due[1].f();
    }
    now = end;
  };
}
// In the page: the element of that role whose text or name is `name`, shown.
function find([role, name]) {
  const named = (element) => element.getAttribute('aria-label') ?? element.textContent;
  return [...document.querySelectorAll(role === 'button' ? 'button:not([role])' : `[role=${role}]`)]
    .find((element) => named(element) === name && element.checkVisibility());
}

// Each engine: a browser (in forced colours if asked), as the same few verbs. run() calls a
// function in the page and waits for its promise.
export const engines = {
  async chromium({ forced }) {
    const browser = await require('puppeteer-core').launch({
      executablePath: process.env.QUELLARY_BROWSER, args: process.getuid() === 0 ? ['--no-sandbox'] : [] });
    const page = (await browser.pages())[0];
    if (forced) await (await page.createCDPSession()).send('Emulation.setEmulatedMedia', { features: [{ name: 'forced-colors', value: 'active' }] });
    return { ...puppeteer(browser, page), key: (name) => page.keyboard.press(name) };
  },
  // Over BiDi, Enter and Space never press a focused button: real keys come through xdotool.
  async firefox({ forced }) {
    const browser = await require('puppeteer-core').launch({
      browser: 'firefox', executablePath: process.env.QUELLARY_BROWSER, headless: false,
      extraPrefsFirefox: forced ? { 'browser.display.document_color_use': 2 } : {} });
    const page = (await browser.pages())[0];
    const window = execFileSync('xdotool', ['search', '--sync', '--onlyvisible', '--pid', String(browser.process().pid)])
      .toString().split('\n')[0];
    // A click on the blank window gives it the X server's keyboard focus.
    execFileSync('xdotool', ['mousemove', '--window', window, '10', '300', 'click', '1']);
    const keys = { Enter: 'Return', ' ': 'space', ArrowDown: 'Down', ArrowUp: 'Up' };
    return { ...puppeteer(browser, page), key: async (name) => execFileSync('xdotool', ['key', keys[name] ?? name]) };
  },
  async webkit() {
    const port = await new Promise((resolve) => {
      const server = createServer().listen(0, '127.0.0.1', () => {
        const { port } = server.address();
        server.close(() => resolve(port));
      });
    });
    // MiniBrowser's toolbar is wider than a phone: a GTK stylesheet of its own shrinks it.
    const config = mkdtempSync(`${tmpdir()}/quellary-webkit-`);
    mkdirSync(`${config}/gtk-3.0`);
    writeFileSync(`${config}/gtk-3.0/gtk.css`, '* { font-size: 1px; min-width: 0; min-height: 0; padding: 0; margin: 0; }');
    const server = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore', env: { ...process.env, XDG_CONFIG_HOME: config } });
    const { Builder, By, Key } = require('selenium-webdriver');
    let driver;
    for (const end = Date.now() + 10000; !driver;) {
      driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': { binary: process.env.QUELLARY_BROWSER, args: ['--automation'] },
      }).build().catch((error) => assert.ok(Date.now() < end, error.message));
    }
    const click = async (role, name) => (await driver.wait(() => driver.executeScript(`return (${find})(arguments[0])`, [role, name]), 10000)).click();
    const keys = { Enter: Key.ENTER, Tab: Key.TAB, Escape: Key.ESCAPE, F10: Key.F10, ArrowDown: Key.ARROW_DOWN, ArrowUp: Key.ARROW_UP };
    const run = (f, arg) => driver.executeAsyncScript(
      `const done = arguments[1]; Promise.resolve((${f})(arguments[0])).then(done, (e) => done({ failed: String(e) }))`, arg)
      .then((result) => (assert.ok(!result?.failed, result?.failed), result));
    // The window sized, and then its frame added, so that the page itself has the size asked.
    const resize = async ({ width, height }) => {
      const size = async (outer) => {
        await driver.manage().window().setRect(outer);
        // The page sees the new size a little after the driver has answered.
        await settles(() => run(() => [outerWidth, outerHeight]), [outer.width, outer.height]);
        return run(() => [outerWidth - innerWidth, outerHeight - innerHeight]);
      };
      const [w, h] = await size({ width, height });
      await size({ width: width + w, height: height + h });
    };
    return {
      run,
      resize,
      goto: (to) => driver.get(to),
      click,
      key: (name) => driver.actions().sendKeys(keys[name] ?? name).perform(),
      tap: (name) => click('button', name),  // WebKitGTK's driver has no touch screen
      // What WebKit's accessibility says of each element shown; its driver gives an image the
      // role "image" or none at all, as it goes.
      async exposed(role, name) {
        let count = 0;
        const roles = role === 'image' ? ['image', ''] : [role];
        for (const element of await driver.findElements(By.css('body *'))) {
          if (await element.isDisplayed() && roles.includes(await element.getAriaRole()) && (await element.getAccessibleName()) === name) ++count;
        }
        return count;
      },
      shot: async (file) => writeFileSync(file, await driver.takeScreenshot(), 'base64'),
      close: async () => (await driver.quit(), server.kill(), rmSync(config, { recursive: true })),
    };
  },
};
function puppeteer(browser, page) {
  const aria = (role, name) => `::-p-aria([name="${name}"][role="${role}"])`;
  return {
    run: (f, arg) => page.evaluate(f, arg),
    resize: (viewport) => page.setViewport(viewport),
    goto: (to) => page.goto(to),
    click: (role, name) => page.locator(aria(role, name)).click(),
    tap: async (name) => (await page.waitForSelector(aria('button', name))).tap(),
    exposed: async (role, name) => (await page.$$(aria(role, name))).length,
    shot: (file) => page.screenshot({ path: file }),
    close: () => browser.close(),
    puppeteer: page,
  };
}

// A test on a fresh browser: `body` drives the page; no page error may follow, and nothing
// may be asked of the network (the pictures are data within the one file).
export function session(name, { viewport = { width: 1024, height: 768 }, clock = true, forced = false, skip } = {}, body) {
  test(`${name} (${engine})`, { skip }, async () => {
    const driver = await engines[engine]({ forced });
    const page = {
      ...driver,
      // Opened, or opened again: up to the welcome box, with the clock in hand.
      async open() {
        await driver.goto(url);
        await page.box();
        await driver.run(watch, clock);
      },
      text: () => driver.run(() => document.body.innerText.trim()),
      until: (shown) => settles(async () => (await page.text()).includes(shown), true, `"${shown}" is not shown`),
      advance: (ms) => driver.run((ms) => window.advance(ms), ms),
      // Five seconds on: the cards change.
      reveal: async () => (await page.advance(5000), page.until(form1.messages.done)),
      press: (name) => driver.click('button', name),
      menu: async (item) => (await driver.click('menuitem', 'Help'), driver.click('menuitem', item)),
      // The open box's title and text, once it is up; then its dismissal, by OK or a key.
      box: async () => (await page.until('OK'), driver.run(() => [document.querySelector('dialog[open] h1').textContent,
        document.querySelector('dialog[open] p').textContent])),
      async dismiss(key) {
        await (key ? driver.key(key) : page.press('OK'));
        await settles(() => driver.run(() => !document.querySelector('dialog[open]')), true);
      },
      // The shown buttons in the order the focus takes them, and which has the focus.
      buttons: () => driver.run(() => [...document.querySelectorAll('button:not([role])')].filter((b) => b.checkVisibility())
        .map((b) => b.textContent + (b === document.activeElement ? ' (focused)' : ''))),
      // The element with the focus as "role name", or nothing.
      focused: () => driver.run(() => {
        const e = document.activeElement;
        return e === document.body ? undefined : `${e.getAttribute('role') ?? e.localName} ${e.textContent}`;
      }),
    };
    await driver.resize(viewport);
    try {
      await page.open();
      await body(page);
      assert.deepEqual(await driver.run(() => window.faults ?? []), []);
      assert.deepEqual(await driver.run(() => performance.getEntriesByType('resource').map((entry) => entry.name)), []);
    } finally {
      await driver.close();
    }
  });
}

// Waits for what `read` gives to be `expected`, as the page gets to each event in its turn.
export async function settles(read, expected, message) {
  for (const end = Date.now() + 10000; Date.now() < end; await new Promise((resolve) => setTimeout(resolve, 50))) {
    if (JSON.stringify(await read()) === JSON.stringify(expected)) return;
  }
  assert.deepEqual(await read(), expected, message);
}
