// What the page's tests share: the page in Debian's Chromium through puppeteer-core (installed
// from the lock file into the build tree), read as a person reads it, on a hand-moved clock.
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { test } from 'node:test';
import { pathToFileURL } from 'node:url';

const puppeteer = createRequire(`${process.env.QUELLARY_NODE_MODULES}/`)('puppeteer-core');
export const url = pathToFileURL(process.env.QUELLARY_PAGE).href;
export const shots = process.env.QUELLARY_SHOTS;
export const second = 'Cards: Queen of hearts, King of clubs, Jack of hearts, Queen of spades, King of diamonds';

// Put into the page before its own script: its timer (one at a time, the clock's) and its
// performance.now() follow advance(). Puppeteer's own scripts clear timers of theirs.
function handClock() {
  let now = 0, id = 0, timer = null;
  performance.now = () => now;
  window.setTimeout = (f, ms = 0) => ((timer = { f, at: now + ms, id: ++id }), id);
  window.clearTimeout = (key) => timer?.id === key && (timer = null);
  window.advance = (ms) => {
    const end = now + ms;
    for (let due; timer && timer.at <= end; due.f()) [due, timer, now] = [timer, null, timer.at];
    now = end;
  };
}

// A test on a fresh browser: `body` drives the page; no page error may follow, and no request
// may leave the one file (the pictures are data within it).
export function session(name, { viewport = { width: 1024, height: 768 }, clock = true } = {}, body) {
  test(name, async () => {
    const args = process.getuid() === 0 ? ['--no-sandbox'] : [];
    const browser = await puppeteer.launch({ executablePath: process.env.QUELLARY_CHROMIUM, args });
    try {
      const page = (await browser.pages())[0];
      const errors = [];
      page.on('pageerror', (error) => errors.push(error.message));
      page.on('console', (line) => line.type() === 'error' && errors.push(line.text()));
      await page.setViewport(viewport);
      if (clock) await page.evaluateOnNewDocument(handClock);
      await page.setRequestInterception(true);
      page.on('request', (request) => (request.url() === url || request.url().startsWith('data:') ? request.continue()
        : (errors.push(`request ${request.url()}`), request.abort())));
      await page.goto(url);
      await body(page);
      assert.deepEqual(errors, []);
    } finally {
      await browser.close();
    }
  });
}

const control = (name, role = 'button') => `::-p-aria([name="${name}"][role="${role}"])`;
export const press = (page, name, role) => page.locator(control(name, role)).click();
export const menu = async (page, item) => (await press(page, 'Help', 'menuitem'), press(page, item, 'menuitem'));
export const tap = async (page, name) => (await page.waitForSelector(control(name))).tap();
export const advance = (page, ms) => page.evaluate((ms) => window.advance(ms), ms);
export const text = (page) => page.$eval('body', (body) => body.innerText);
// Five seconds on: the cards change.
export const reveal = async (page) => (await advance(page, 5000), until(page, 'DONE! Your card is gone!'));
export const key = (page, name) => page.keyboard.press(name);
export const until = (page, shown) => page.waitForFunction((shown) => document.body.innerText.includes(shown), {}, shown);
// The open box's text, once it is up; then its dismissal, by OK or a key.
export const box = async (page) => (await page.waitForSelector(control('Quellary', 'dialog'))).evaluate((box) => box.innerText);
export const dismiss = async (page, name) => {
  await (name ? key(page, name) : press(page, 'OK'));
  await page.waitForSelector('dialog[open]', { hidden: true });
};
// Past the welcome box to the form.
export const welcomed = async (page) => (await box(page), dismiss(page));

// Waits for what `read` gives to be `expected`, as the page gets to each event in its turn.
export async function settles(read, expected) {
  for (const end = Date.now() + 10000; Date.now() < end; await new Promise((resolve) => setTimeout(resolve, 50))) {
    if (JSON.stringify(await read()) === JSON.stringify(expected)) return;
  }
  assert.deepEqual(await read(), expected);
}

// What a screen reader finds: "role name" for every named node, and which has the focus.
export async function heard(page) {
  const walk = (node) => [...(node.name ? [`${node.role} ${node.name}${node.focused ? ' (focused)' : ''}`] : []),
    ...(node.children ?? []).flatMap(walk)];
  return walk(await page.accessibility.snapshot());
}
export const focused = async (page) => (await heard(page)).find((node) => node.endsWith(' (focused)'));
export const buttons = async (page) => (await heard(page)).filter((node) => node.startsWith('button '));
