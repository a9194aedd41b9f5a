// The whole trick with its boxes, the reveal behind About, and Exit, by clicks; every word of
// the form, its menu and its boxes as its design writes them, where the design puts them, as
// shown and as a screen reader finds them.
import assert from 'node:assert/strict';
import { form1, session, settles } from './page.mjs';

const { boxes, messages } = form1;

session('the trick, its words and its boxes, and Exit', {}, async (page) => {
  // Each control of the design shown or not as it says, with its words at its place (in
  // twips, at the form's one scale), and found by a screen reader under its name.
  const matches = async (shown, message = '') => {
    const drawn = await page.run(() => {
      const form = document.querySelector('#form').getBoundingClientRect();
      return [...document.querySelector('#form').children].filter((e) => e.checkVisibility()).map((e) => {
        const box = e.getBoundingClientRect();
        const scale = form.width / 545;
        return { words: e.alt ?? e.innerText, at: [box.left - form.left, box.top - form.top, box.width, box.height].map((v) => v / scale * 12) };
      });
    });
    for (const control of form1.controls) {
      const words = control.name === 'lblmessage' ? message : control.caption ?? control.spoken;
      const found = drawn.filter((d) => d.words === words);
      if (!shown.includes(control.name)) {
        assert.equal(found.length, 0, `${control.name} "${words}" is shown, and should not be`);
        continue;
      }
      assert.equal(found.length, 1, `${control.name} "${words}" is not shown; the form shows ${JSON.stringify(drawn.map((d) => d.words))}`);
      const at = [control.left, control.top, control.width, control.height];
      assert.ok(found[0].at.every((v, i) => Math.abs(v - at[i]) <= 12), `${control.name} is at ${found[0].at.map(Math.round)} twips, not ${at}`);
      const role = control.kind;
      if (role !== 'label') await settles(() => page.exposed(role, words), 1, `a screen reader finds no ${role} "${words}"`);
    }
  };
  const atStart = form1.controls.filter((c) => c.visible).map((c) => c.name);
  const revealed = ['Command2', 'Command1', 'cmdagain', 'Label6', 'Label5', 'Label4', 'Label3', 'Label2', 'Label1', 'lblmessage', 'imgcard2'];
  const saysBox = async (text) => {
    assert.deepEqual(await page.box(), [boxes.title, text]);
    assert.equal(await page.exposed('dialog', boxes.title), 1);
  };

  await saysBox(boxes.welcome);
  assert.deepEqual(await page.buttons(), ['OK (focused)']);  // the form comes after
  await page.dismiss('Escape');
  await settles(() => page.buttons(), ['Calculate my thoughts (focused)', 'Exit']);
  assert.equal(await page.run(() => document.title), form1.caption);
  await matches(atStart);
  await page.press('Calculate my thoughts');
  await page.advance(3000);
  await page.press('Calculate my thoughts');  // the countdown starts afresh
  await page.advance(4999);
  await matches(atStart, messages.calculating);
  await page.advance(1);
  await page.until(messages.done);
  await matches(revealed, messages.done);
  // The focus leaves the hidden button for the first one shown.
  const after = ['One more time please (focused)', 'The Answer to the problem', 'Exit'];
  await settles(() => page.buttons(), after);
  await page.press('The Answer to the problem');
  await saysBox(boxes.answer);
  await page.dismiss();
  await page.menu('Instructions');
  await saysBox(boxes.instructions);
  await page.dismiss();
  await page.press('One more time please');
  await page.press('Calculate my thoughts');
  await page.click('menuitem', 'Help');
  for (const { caption } of form1.menus[0].items) assert.equal(await page.exposed('menuitem', caption), 1, caption);
  await page.click('menuitem', 'About');
  await saysBox(boxes.about);
  await page.reveal();  // behind the box, which stays
  await page.dismiss();
  await settles(() => page.buttons(), after);
  await page.press('One more time please');
  await page.press('Calculate my thoughts');
  await page.press('Exit');  // during the countdown: no reveal follows
  const ended = 'Quellary has ended. Reload the page to start it again.';
  await page.until(ended);
  await page.advance(10000);
  // Said once, where the focus is.
  assert.deepEqual([await page.text(), await page.focused(), await page.buttons()], [ended, `p ${ended}`, []]);
  await page.open();
  const policy = await page.run(() => document.querySelector('meta[http-equiv="Content-Security-Policy"]').content);
  assert.match(policy, /^default-src 'none'; .*require-trusted-types-for 'script'/);  // no text as HTML
  assert.doesNotMatch(policy, /unsafe-inline|http|\*/);
});
