// What a screen reader finds: a modal dialog named Quellary, the pictures named for their
// cards, and a polite live region that says what the form announces.
import assert from 'node:assert/strict';
import { advance, box, dismiss, first, heard, press, second, session } from './page.mjs';

session('the accessibility tree and the live region', {}, async (page) => {
  const cdp = await page.createCDPSession();
  // The live region's politeness and its words, once they start with `start`.
  const says = async (start) => {
    await page.waitForFunction((start) => document.querySelector('[role=status]').textContent.startsWith(start), {}, start);
    const { nodes } = await cdp.send('Accessibility.getFullAXTree');
    const status = nodes.find((node) => node.role?.value === 'status');
    return [status.properties.find((property) => property.name === 'live').value.value, (await heard(page)).pop()];
  };
  await box(page);
  assert.deepEqual(await heard(page), ['RootWebArea Quellary', 'dialog Quellary', 'heading Quellary',
    "StaticText Welcome to Velado's 'Quellary' program!", 'button OK (focused)']);
  await dismiss(page);
  assert.deepEqual((await heard(page)).slice(1, 4), ['menuitem Help', `image ${first}`, 'StaticText 1. Select a card from the list above in your brain']);
  await press(page, 'Calculate my thoughts');
  assert.deepEqual(await says('Calc'), ['polite', 'StaticText Calculating..... Please wait!']);
  await advance(page, 5000);
  assert.deepEqual(await says('DONE'), ['polite', `StaticText DONE! Your card is gone! ${second}`]);
});
