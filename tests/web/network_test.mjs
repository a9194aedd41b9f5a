// The one file is all the page needs: no request leaves it, and its policy allows none.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { advance, box, dismiss, open, press, until, url } from './page.mjs';

test('no network request', async () => {
  const requests = [];
  const { browser, page } = await open({
    before: async (page) => {
      await page.setRequestInterception(true);
      page.on('request', (request) => {
        if (!request.url().startsWith('data:')) requests.push(request.url());
        request.url() === url || request.url().startsWith('data:') ? request.continue() : request.abort();
      });
    },
  });
  try {
    await box(page);
    await dismiss(page);
    await press(page, 'Calculate my thoughts');
    await advance(page, 5000);
    await until(page, 'DONE! Your card is gone!');
    assert.deepEqual(requests, [url]);
    const policy = await page.$eval('meta[http-equiv="Content-Security-Policy"]', (meta) => meta.content);
    assert.match(policy, /^default-src 'none'; /);
    assert.doesNotMatch(policy, /unsafe-inline|http|\*/);
    assert.deepEqual(page.errors, []);
    // Text never goes in as HTML: the policy has the browser refuse it.
    await assert.rejects(page.evaluate(() => (document.body.innerHTML = '<b>x</b>')), /TrustedHTML/);
  } finally {
    await browser.close();
  }
});
