// The one file is all the page needs: no request leaves it, and its policy allows none and
// has the browser refuse any text put in as HTML.
import assert from 'node:assert/strict';
import { advance, press, session, until, url, welcomed } from './page.mjs';

const requests = [];
const before = async (page) => {
  await page.setRequestInterception(true);
  page.on('request', (request) => (request.url().startsWith('data:') ? request.continue()
    : requests.push(request.url()) && (request.url() === url ? request.continue() : request.abort())));
};
session('no network request', { before }, async (page) => {
  await welcomed(page);
  await press(page, 'Calculate my thoughts');
  await advance(page, 5000);
  await until(page, 'DONE! Your card is gone!');
  assert.deepEqual(requests, [url]);
  const policy = await page.$eval('meta[http-equiv="Content-Security-Policy"]', (meta) => meta.content);
  assert.match(policy, /^default-src 'none'; .*require-trusted-types-for 'script'/);
  assert.doesNotMatch(policy, /unsafe-inline|http|\*/);
});
