// Draws the form that web_form.cpp describes and queues the user's events for it. What the
// form does with them (its state, the timer's rules, the focus, what is said) is the wasm's.
'use strict';
const Page = (() => {
  const TICK = -1, DISMISSED = -2, RESIZED = -3;
  const $ = (id) => document.getElementById(id);
  const controls = new Map();  // code -> element
  const menus = [];            // the menu bar's menus: {title, list}
  const queue = [];            // [code, when it came]
  let wake = null, came = 0;   // ...and when the event the form has now came
  let clock = null, due = 0, interval = 0;
  let open = null, focusBefore = null;  // the menu shown, and what had the focus before it

  function post(code) {
    queue.push([code, performance.now()]);
    if (!wake) return;
    const resolve = wake;
    wake = null;
    resolve(next());
  }
  function next() {
    let code;
    [code, came] = queue.shift();
    return code;
  }
  const queued = (code) => queue.findIndex(([queuedCode]) => queuedCode === code);
  function drop(code) {
    for (let i; (i = queued(code)) >= 0;) queue.splice(i, 1);
  }

  // The clock never rings early: a timer the browser fires too soon, or holds back while
  // the page is hidden or frozen, is checked against the time it falls due. Firefox fires a
  // timer up to half a second late on a busy machine, so its last second is watched frame by
  // frame too: in a shown page the tick comes on the first frame after it falls due.
  function arm() {
    clearTimeout(clock);
    const left = due - performance.now();
    clock = setTimeout(ring, Math.max(0, left > 1000 ? left - 1000 : left));
    if (left <= 1000) requestAnimationFrame(() => clock && ring());
  }
  function ring() {
    if (performance.now() < due) return arm();
    due = performance.now() + interval;
    arm();
    post(TICK);
  }
  function stopClock() {
    clearTimeout(clock);
    clock = null;
    drop(TICK);
  }
  for (const event of ['visibilitychange', 'resume']) {
    document.addEventListener(event, () => clock && performance.now() >= due && ring());
  }

  function say(news) {
    const line = document.createElement('p');
    line.textContent = news;
    $('news').replaceChildren(line);  // a new line each time, so that the same news is said again
  }

  function openMenu(menu) {
    if (!open) focusBefore = document.activeElement;
    closeMenu(false);
    open = menu;
    menu.list.hidden = false;
    menu.title.setAttribute('aria-expanded', 'true');
    menu.list.firstElementChild.focus();
  }
  function closeMenu(refocus = true) {
    if (!open) return;
    open.list.hidden = true;
    open.title.setAttribute('aria-expanded', 'false');
    open = null;
    if (refocus && focusBefore) focusBefore.focus();
  }
  document.addEventListener('keydown', (event) => {
    if ($('box').open || $('menubar').hidden) return;
    if (event.key === 'F10' && !event.shiftKey) {
      open ? closeMenu() : openMenu(menus[0]);
    } else if (open && (event.key === 'ArrowDown' || event.key === 'ArrowUp')) {
      const items = [...open.list.children];
      const step = event.key === 'ArrowDown' ? 1 : items.length - 1;
      items[(items.indexOf(document.activeElement) + step) % items.length].focus();
    } else if (open && event.key === 'Escape') {
      closeMenu();
    } else {
      if (open && event.key === 'Tab') closeMenu();
      return;
    }
    event.preventDefault();
  });
  document.addEventListener('pointerdown', (event) => {
    if (open && !$('menubar').contains(event.target)) closeMenu(false);
  });
  const resized = () => queued(RESIZED) >= 0 || post(RESIZED);
  addEventListener('resize', resized);
  // A window moved to a screen of another pixel ratio keeps its size.
  (function watchRatio() {
    matchMedia(`(resolution: ${devicePixelRatio}dppx)`).addEventListener('change', () => {
      resized();
      watchRatio();
    }, { once: true });
  })();
  // Said at once, before a click that comes after it, where the close event would come later.
  const dismissed = (event) => {
    event.preventDefault();
    $('box').close();
    post(DISMISSED);
  };
  $('box-ok').addEventListener('click', dismissed);
  $('box').addEventListener('cancel', dismissed);

  return {
    nextEvent: () => new Promise((resolve) => (queue.length ? resolve(next()) : (wake = resolve))),
    addMenu(code, caption, parent) {
      const item = document.createElement('button');
      item.type = 'button';
      item.tabIndex = -1;
      item.textContent = caption;
      item.setAttribute('role', 'menuitem');
      item.addEventListener('mousedown', (event) => event.preventDefault());  // the form's focus stays
      if (parent < 0) {
        const list = document.createElement('div');
        list.setAttribute('role', 'menu');
        list.setAttribute('aria-label', caption);
        list.hidden = true;
        item.setAttribute('aria-haspopup', 'menu');
        item.setAttribute('aria-expanded', 'false');
        item.setAttribute('aria-keyshortcuts', 'F10');
        const menu = { title: item, list, code };
        item.addEventListener('click', () => (open === menu ? closeMenu() : openMenu(menu)));
        menus.push(menu);
        $('menubar').append(item, list);
      } else {
        item.addEventListener('click', () => {
          closeMenu();
          post(code);
        });
        menus.find((menu) => menu.code === parent).list.append(item);
      }
    },
    addControl(code, kind, caption, box, visible, font, picture, name) {
      const element = document.createElement(['button', 'div', 'img'][kind]);
      if (kind === 0) {
        element.type = 'button';
        element.addEventListener('click', () => post(code));
      }
      if (kind === 2) {
        element.alt = name;
        element.dataset.picture = picture;
      } else {
        element.textContent = caption;
      }
      const [left, top, width, height] = box;
      Object.assign(element.style, { left: `${left}px`, top: `${top}px`, width: `${width}px`, height: `${height}px` });
      if (font) element.style.font = font;
      element.hidden = !visible;
      controls.set(code, element);
      $('form').append(element);
    },
    showForm(caption, width, height) {
      document.title = caption;
      Object.assign($('form').style, { width: `${width}px`, height: `${height}px` });
      $('menubar').hidden = $('form').hidden = false;
    },
    show: (code, visible) => (controls.get(code).hidden = !visible),
    setText: (code, text) => (controls.get(code).textContent = text),
    // Counted from the press that started it, not from when the form got to it.
    startClock(ms) {
      interval = ms;
      due = came + ms;
      drop(TICK);
      arm();
    },
    stopClock,
    // While the menu is open, the focus the form knows is the one the menu gives back.
    focused() {
      const focused = open ? focusBefore : document.activeElement;
      for (const [code, element] of controls) if (element === focused) return code;
      return -1;
    },
    focus(code, news) {
      if (open) focusBefore = controls.get(code);
      else controls.get(code).focus({ focusVisible: true });
      if (news) say(news);
    },
    say,
    openBox(title, prompt) {
      closeMenu(false);
      $('box-title').textContent = title;
      $('box-prompt').textContent = prompt;
      $('box').showModal();
      $('box-ok').focus();
    },
    end(title) {
      stopClock();
      queue.length = 0;
      $('menubar').hidden = $('stage').hidden = true;
      const ended = `${title} has ended. Reload the page to start it again.`;
      $('ended').textContent = ended;
      $('ended').hidden = false;
      // Read once, where the focus is, and not again from the live region.
      $('news').replaceChildren();
      $('ended').focus();
    },
    room: () => ({ width: $('stage').clientWidth, height: $('stage').clientHeight }),
    // The boxes' text grows with the form's, and is never below 16 px in the column.
    placeForm(scale, column) {
      document.body.classList.toggle('column', column);
      // A transform, not CSS zoom, which WebKit lays out as if the form had not grown.
      $('form').style.transform = column ? '' : `scale(${scale})`;
      document.body.style.setProperty('--text', column ? '16px' : `${12 * scale}px`);
    },
    setPicture(code, rendition) {
      const image = controls.get(code);
      const source = Pictures[image.dataset.picture][rendition];
      if (image.src !== source) image.src = source;
    },
  };
})();

// The wasm is handed over in place: emscripten then fetches nothing, not even a data: URL.
const wasm = atob(Wasm);
var Module = {
  wasmBinary: new Uint8Array(wasm.length).map((_, i) => wasm.charCodeAt(i)),
  onAbort: () => {
    document.body.textContent = `${document.title} could not start in this browser; open it in a current one.`;
  },
};
