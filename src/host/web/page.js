// Velmo's page: starts velmo.js once this tab holds the record (Web Locks),
// mounts the working folder kept in IndexedDB, hands the program keys and
// committed text, draws its picture on the canvas, and moves the record file
// in and out (as a record file or iCalendar). What the program calls on the
// page is Module.velmo*.
'use strict';
(function () {
  const W = 640, H = 240;
  const FOLDER = '/velmo';
  const RECORD = FOLDER + '/record';
  const KEPT = FOLDER + '/record.replaced';  // the records opened files replaced: .1, .2 ... after it
  const IMPORTS = FOLDER + '/import';  // calendar files the program imports when it starts (velmo-web.cpp)
  const EV_KEY = 1, EV_TEXT = 2, EV_ALT = 3, EV_EXPORT = 4;  // as the host's PageEvent
  // The browser's key names to the key names of Velmo's scripts.
  const NAMES = {
    Enter: 'RET', Escape: 'ESC', Tab: 'TAB', Backspace: 'BS', Delete: 'DEL', Insert: 'INS',
    Home: 'HOME', End: 'END', ArrowUp: 'UP', ArrowDown: 'DOWN', ArrowLeft: 'LEFT',
    ArrowRight: 'RIGHT', PageUp: 'PGUP', PageDown: 'PGDN', Convert: 'HENKAN',
    NonConvert: 'MUHENKAN', ' ': 'SPC',
  };
  for (let f = 1; f <= 10; ++f) NAMES['F' + f] = 'F' + f;

  const stage = document.getElementById('stage');
  const canvas = document.getElementById('screen');
  const ctx = canvas.getContext('2d');
  const image = ctx.createImageData(W, H);
  const ime = document.getElementById('ime');
  const queue = [];
  let wake = null, timer = null, scale = 1, spot = null, composing = false, running = false, imeOpen = false;
  let output = null;  // the program's output lines while a command runs, and the title they are shown under
  window.velmoSaved = 0;

  const params = new URLSearchParams(location.search);

  // The largest whole factor that fits the window, under it the buttons.
  function fit() {
    const room = Math.min(innerWidth / W, (innerHeight - 60) / H);
    scale = Math.max(1, Math.floor(room));
    canvas.style.width = W * scale + 'px';
    canvas.style.height = H * scale + 'px';
    placeIme();
  }

  // Text goes in pieces that fit the program's key queue (100 bytes: 32
  // characters of at most 2 Shift-JIS bytes each, and room for more).
  const TEXT_PIECE = 32;

  function post(kind, text) {
    if (kind === EV_TEXT) {
      const chars = Array.from(text);
      for (let i = 0; i < chars.length; i += TEXT_PIECE) queue.push([kind, chars.slice(i, i + TEXT_PIECE).join('')]);
    } else {
      queue.push([kind, text]);
    }
    if (wake) {
      const w = wake;
      wake = null;
      clearTimeout(timer);
      w();
    }
  }

  // The field sits at the editor's cursor, so the input method shows its
  // reading and candidates there.
  function placeIme() {
    if (!spot) return;
    ime.style.left = spot.x * scale + 'px';
    ime.style.top = spot.y * scale + 'px';
    ime.style.height = Math.max(spot.h, 12) * scale + 'px';
    ime.style.fontSize = Math.max(spot.h, 12) * scale * 0.8 + 'px';
  }

  function onKeyDown(e) {
    if (!running || e.isComposing || e.keyCode === 229 || e.metaKey) return;
    if (e.target.closest && e.target.closest('#bar, #dialogs')) return;
    if (e.altKey && !e.ctrlKey) {
      const key = e.code.startsWith('Key') ? e.code.slice(3).toLowerCase()
        : e.code.startsWith('Digit') ? e.code.slice(5) : null;
      if (key) post(EV_ALT, key);
      e.preventDefault();
      return;
    }
    let name = NAMES[e.key];
    if (name) {
      name = (e.ctrlKey ? 'C-' : '') + (e.shiftKey ? 'S-' : '') + name;
    } else if (e.key.length === 1 && e.ctrlKey) {
      const letter = e.code.startsWith('Key') ? e.code.slice(3).toLowerCase() : e.key;
      name = 'C-' + (e.shiftKey && letter.length === 1 && letter >= 'a' && letter <= 'z' ? 'S-' : '') + letter;
    } else if (e.key.length === 1) {
      if (document.activeElement === ime) return;  // the field's input event brings it
      e.preventDefault();
      post(e.key.charCodeAt(0) < 127 ? EV_KEY : EV_TEXT, e.key);
      return;
    } else {
      return;
    }
    e.preventDefault();
    post(EV_KEY, name);
  }

  ime.addEventListener('compositionstart', () => { composing = true; ime.classList.add('composing'); });
  ime.addEventListener('compositionend', (e) => {
    composing = false;
    ime.classList.remove('composing');
    if (e.data) post(EV_TEXT, e.data);
    ime.value = '';
  });
  ime.addEventListener('input', (e) => {
    if (composing || e.isComposing) return;
    if (e.data && e.inputType !== 'insertCompositionText') post(EV_TEXT, e.data);
    ime.value = '';
  });

  // Told once, not at every save: the browser's storage refused a write.
  let toldStorage = false;

  function flush(done) {
    FS.syncfs(false, (err) => {
      if (!err) {
        window.velmoSaved += 1;
      } else if (!toldStorage) {
        toldStorage = true;
        dialog('Velmo', 'The browser did not keep the last save (' + err + '). '
          + 'Download the record file to keep your entries.');
      }
      if (done) done();
    });
  }

  function dialog(title, text) {
    const box = document.createElement('div');
    box.className = 'velmo-dialog';
    box.setAttribute('role', 'dialog');
    const h = document.createElement('h2');
    h.textContent = title;
    const p = document.createElement('pre');
    p.textContent = text;
    const ok = document.createElement('button');
    ok.textContent = 'OK';
    ok.addEventListener('click', () => { box.remove(); canvas.focus(); });
    box.append(h, p, ok);
    document.getElementById('dialogs').append(box);
  }

  function download(path, name) {
    let bytes;
    try { bytes = FS.readFile(path); } catch (e) { dialog('Velmo', 'There is no record file yet.'); return; }
    const a = document.createElement('a');
    a.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    a.download = name;
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(a.href), 10000);
  }

  // The chosen file becomes the record file and Velmo starts again on it,
  // which checks it as at every start (a damaged file is kept and told); the
  // record it replaced is kept beside it.
  // A calendar file (.ics) is imported into the record as velmo-cli
  // import-ics does, when Velmo starts again on it.
  async function openFile(file) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    if (/\.ics$/i.test(file.name)) {
      if (!FS.analyzePath(IMPORTS).exists) FS.mkdir(IMPORTS);
      FS.writeFile(IMPORTS + '/' + file.name.replace(/[\/\x00-\x1f]/g, '_').replace(/^\./, '_'), bytes);
      flush(() => location.reload());
      return;
    }
    let kept = KEPT;
    for (let n = 1; FS.analyzePath(kept).exists; ++n) kept = KEPT + '.' + n;
    if (FS.analyzePath(RECORD).exists) FS.writeFile(kept, FS.readFile(RECORD));
    FS.writeFile(RECORD, bytes);
    flush(() => location.reload());
  }

  const Module = {
    canvas: canvas,
    arguments: params.get('now') ? ['--now', params.get('now')] : [],
    preRun: [() => {
      FS.mkdir(FOLDER);
      FS.mount(IDBFS, {}, FOLDER);
      Module.addRunDependency('velmo-storage');
      FS.syncfs(true, (err) => {
        if (err) console.error('velmo: cannot read the browser storage', err);
        Module.removeRunDependency('velmo-storage');
      });
    }],
    onRuntimeInitialized: () => { running = true; },
    print: (t) => { if (output) output.lines.push(t); console.log(t); },
    printErr: (t) => { if (output) output.lines.push(t); console.error(t); },
    velmoOutput: (title) => {
      if (title !== null) { output = { title, lines: [] }; return; }
      if (output && output.lines.length) dialog(output.title, output.lines.join('\n'));
      output = null;
    },
    velmoDownload: download,
    velmoWait: (ms, w) => {
      if (queue.length) { w(); return; }
      wake = w;
      if (ms >= 0) timer = setTimeout(() => { if (wake === w) { wake = null; w(); } }, ms);
    },
    velmoNext: (ptr, size) => {
      if (!queue.length) return 0;
      const [kind, text] = queue.shift();
      stringToUTF8(text, ptr, size);
      return kind;
    },
    velmoFlush: (w) => flush(w),
    velmoPaint: (ptr, x, y, w, h) => {
      const grey = HEAPU8, d = image.data;
      for (let r = y; r < y + h; ++r) {
        for (let c = x; c < x + w; ++c) {
          const g = grey[ptr + r * W + c], i = (r * W + c) * 4;
          d[i] = d[i + 1] = d[i + 2] = g;
          d[i + 3] = 255;
        }
      }
      ctx.putImageData(image, 0, 0, x, y, w, h);
      if (window.velmoFirstFrame === undefined) window.velmoFirstFrame = performance.now();
    },
    velmoSpot: (active, x, y, w, h) => {
      spot = active ? { x, y, w, h } : null;
      placeIme();
    },
    velmoIme: (open) => {
      imeOpen = !!open;
      if (imeOpen) ime.focus();
      else { ime.blur(); canvas.focus(); }
    },
    velmoDialog: dialog,
    velmoCaption: (text) => { document.title = text; },
    velmoEnded: () => {
      running = false;
      stage.hidden = true;
      document.getElementById('bar').hidden = true;
      document.getElementById('ended').hidden = false;
    },
  };

  function start() {
    stage.hidden = false;
    document.getElementById('bar').hidden = false;
    fit();
    addEventListener('resize', fit);
    document.addEventListener('keydown', onKeyDown);
    // A click on the screen leaves the input method's field where it was.
    canvas.addEventListener('mousedown', (e) => { e.preventDefault(); (imeOpen ? ime : canvas).focus(); });
    document.getElementById('download-record').addEventListener('click', () => download(RECORD, 'record'));
    document.getElementById('download-ics').addEventListener('click', () => post(EV_EXPORT, ''));
    document.getElementById('open-file').addEventListener('change', (e) => {
      if (e.target.files.length) openFile(e.target.files[0]);
    });
    // Once more when the page is hidden or closed.
    document.addEventListener('visibilitychange', () => { if (document.hidden && running) flush(); });
    addEventListener('pagehide', () => { if (running) flush(); });
    if (navigator.storage && navigator.storage.persist) navigator.storage.persist();
    window.Module = Module;
    const script = document.createElement('script');
    script.src = 'velmo.js';
    document.body.append(script);
    canvas.focus();
  }

  // The lock stands for record.lock: held while this tab lives.
  if (navigator.locks) {
    navigator.locks.request('velmo-record', { ifAvailable: true }, (lock) => {
      if (!lock) {
        document.getElementById('already-open').hidden = false;
        return undefined;
      }
      start();
      return new Promise(() => {});
    });
  } else {
    start();
  }
})();
