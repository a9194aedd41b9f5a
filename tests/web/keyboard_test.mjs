// The keyboard alone: the welcome box's OK, the design's tab order, the focus rule after the
// reveal, Help by F10 and the arrows, the page read in the design's order, and the live region
// that says what the form announces.
import assert from 'node:assert/strict';
import { form1, session, settles } from './page.mjs';

const words = (...names) => names.map((name) => form1.controls.find((control) => control.name === name))
  .map((control) => control.caption ?? control.spoken);

session('the keyboard alone, and what a screen reader reads', {}, async (page) => {
  // Each key, and what has the focus after it.
  const keys = async (...steps) => {
    for (let i = 0; i < steps.length; i += 2) {
      await page.key(steps[i]);
      await settles(() => page.focused(), steps[i + 1]);
    }
  };
  const says = (news) => settles(() => page.run(() => document.querySelector('[role=status]').textContent), news);
  await keys('Enter', 'button Calculate my thoughts', 'Tab', 'button Exit');
  // Top to bottom, then the buttons in the order the focus takes them.
  const read = await page.run(() => [...document.querySelectorAll('#menubar > *, #form > *')].filter((e) => e.checkVisibility())
    .map((e) => e.alt ?? e.innerText));
  assert.deepEqual(read, ['Help', ...words('imgcard1', 'Label1', 'Label2', 'Label3', 'Label4', 'Label5', 'Label6'), '',
    ...words('cmdcalculate', 'Command2')]);
  await page.click('button', 'Calculate my thoughts');
  await says(form1.messages.calculating);
  await keys('F10', 'menuitem About');
  await page.reveal();  // behind the menu: the focus it gives back is the focus rule's
  await says(`${form1.messages.done} ${words('imgcard2')}`);
  await keys('Escape', 'button One more time please', 'Tab', 'button The Answer to the problem', 'Tab', 'button Exit',
    'F10', 'menuitem About', 'ArrowDown', 'menuitem Instructions', 'ArrowDown', 'menuitem About', 'Escape', 'button Exit',
    'F10', 'menuitem About', 'ArrowUp', 'menuitem Instructions', 'Enter', 'button OK');
  assert.deepEqual(await page.box(), [form1.boxes.title, form1.boxes.instructions]);
  await keys('Escape', 'button Exit', ' ', 'p Quellary has ended. Reload the page to start it again.');
});
