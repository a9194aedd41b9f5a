// What the page's tests share: the page opened in Debian's Chromium through puppeteer-core
// (installed from the lock file into the build tree), read as a person reads it, with a clock
// the test moves by hand.
import { createRequire } from 'node:module';
import { pathToFileURL } from 'node:url';

const puppeteer = createRequire(`${process.env.QUELLARY_NODE_MODULES}/`)('puppeteer-core');
export const url = pathToFileURL(process.env.QUELLARY_PAGE).href;
export const shots = process.env.QUELLARY_SHOTS;
export const first = 'Cards: King of hearts, Jack of clubs, King of spades, Queen of diamonds, Queen of clubs, Jack of diamonds';
export const second = 'Cards: Queen of hearts, King of clubs, Jack of hearts, Queen of spades, King of diamonds';

// Put into the page before its own script: its timers and performance.now() follow advance().
function handClock() {
  let now = 0, id = 0;
  const timers = new Map();
  performance.now = () => now;
  window.setTimeout = (f, ms = 0) => (timers.set(++id, { f, at: now + ms }), id);
  window.clearTimeout = (key) => timers.delete(key);
  window.advance = (ms) => {
    for (let next; (next = [...timers].sort((a, b) => a[1].at - b[1].at)[0]) && next[1].at <= now + ms;) {
      timers.delete(next[0]);
      ms -= next[1].at - now;
      now = next[1].at;
      next[1].f();
    }
    now += ms;
  };
}

export async function open({ viewport = { width: 1024, height: 768 }, clock = true, before } = {}) {
  const browser = await puppeteer.launch({
    executablePath: process.env.QUELLARY_CHROMIUM,
    args: process.getuid() === 0 ? ['--no-sandbox'] : [],
  });
  const page = (await browser.pages())[0];
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error.message));
  page.on('console', (line) => line.type() === 'error' && page.errors.push(line.text()));
  await page.setViewport(viewport);
  if (clock) await page.evaluateOnNewDocument(handClock);
  await before?.(page);
  await page.goto(url);
  return { browser, page };
}

export const advance = (page, ms) => page.evaluate((ms) => window.advance(ms), ms);
const control = (name, role) => `::-p-aria([name="${name}"][role="${role}"])`;
export const press = (page, name, role = 'button') => page.locator(control(name, role)).click();
export const tap = async (page, name, role = 'button') => (await page.waitForSelector(control(name, role))).tap();
export const text = (page) => page.$eval('body', (body) => body.innerText);
export const until = (page, shown) => page.waitForFunction((shown) => document.body.innerText.includes(shown), {}, shown);

// The open box's text, once it is up.
export async function box(page) {
  const dialog = await page.waitForSelector('::-p-aria([name="Quellary"][role="dialog"])');
  return dialog.evaluate((box) => box.innerText);
}
export async function dismiss(page, key) {
  await (key ? page.keyboard.press(key) : press(page, 'OK'));
  await page.waitForSelector('dialog[open]', { hidden: true });
}

// What a screen reader finds: "role name" for every named node, and which has the focus.
export async function heard(page) {
  const nodes = [];
  const walk = (node) => {
    if (node.name) nodes.push(`${node.role} ${node.name}${node.focused ? ' (focused)' : ''}`);
    (node.children ?? []).forEach(walk);
  };
  walk(await page.accessibility.snapshot());
  return nodes;
}
export const focused = async (page) => (await heard(page)).find((node) => node.endsWith(' (focused)'));
export const buttons = async (page) => (await heard(page)).filter((node) => node.startsWith('button '));
