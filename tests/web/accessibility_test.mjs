// What a screen reader finds: a modal dialog named Quellary, the pictures named for their
// cards, the menu, and a polite live region that says what the form announces.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { advance, box, dismiss, first, heard, open, press, second } from './page.mjs';

test('the accessibility tree and the live region', async () => {
  const { browser, page } = await open();
  const cdp = await page.createCDPSession();
  // The live region's politeness and what it says now.
  const region = async () => {
    const { nodes } = await cdp.send('Accessibility.getFullAXTree');
    const status = nodes.find((node) => node.role?.value === 'status');
    const live = status.properties.find((property) => property.name === 'live')?.value.value;
    const said = await page.$eval('[role=status]', (region) => region.textContent);  // the node's text
    return `${live}: ${said}`;
  };
  try {
    await box(page);
    assert.deepEqual(await heard(page), ['RootWebArea Quellary', 'dialog Quellary', 'heading Quellary',
      "StaticText Welcome to Velado's 'Quellary' program!", 'button OK (focused)']);
    await dismiss(page);
    const form = await heard(page);
    for (const node of ['menuitem Help', `image ${first}`, 'StaticText 1. Select a card from the list above in your brain']) {
      assert.ok(form.some((line) => line.startsWith(node)), `${node} in ${form}`);
    }
    await press(page, 'Calculate my thoughts');
    await page.waitForFunction(() => document.querySelector('[role=status]').textContent);
    assert.equal(await region(), 'polite: Calculating..... Please wait!');
    await advance(page, 5000);
    await page.waitForFunction(() => document.querySelector('[role=status]').textContent.startsWith('DONE'));
    assert.equal(await region(), `polite: DONE! Your card is gone! ${second}`);
    await press(page, 'Help', 'menuitem');
    assert.ok((await heard(page)).some((line) => line.startsWith('menu Help')));
  } finally {
    await browser.close();
  }
});
