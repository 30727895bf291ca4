"""A small client of the DevTools protocol over python3-websocket: one
headless Chromium, its tabs (flat sessions), keys, text, composition,
evaluation, screenshots and downloads. Chromium chooses its own free port."""
import base64
import json
import os
import subprocess
import time

import websocket

# Key names of Velmo's scripts to the browser's key, code and virtual key code.
SPECIAL = {
    'RET': ('Enter', 'Enter', 13), 'ESC': ('Escape', 'Escape', 27), 'TAB': ('Tab', 'Tab', 9),
    'BS': ('Backspace', 'Backspace', 8), 'DEL': ('Delete', 'Delete', 46), 'INS': ('Insert', 'Insert', 45),
    'HOME': ('Home', 'Home', 36), 'END': ('End', 'End', 35), 'UP': ('ArrowUp', 'ArrowUp', 38),
    'DOWN': ('ArrowDown', 'ArrowDown', 40), 'LEFT': ('ArrowLeft', 'ArrowLeft', 37),
    'RIGHT': ('ArrowRight', 'ArrowRight', 39), 'PGUP': ('PageUp', 'PageUp', 33),
    'PGDN': ('PageDown', 'PageDown', 34),
}
SPECIAL.update({'F%d' % n: ('F%d' % n, 'F%d' % n, 111 + n) for n in range(1, 11)})
MOD_ALT, MOD_CTRL, MOD_SHIFT = 1, 2, 8


class Failed(Exception):
    pass


class Browser:
    def __init__(self, chromium, profile, log):
        self.proc = subprocess.Popen(
            [chromium, '--headless=new', '--no-sandbox', '--disable-gpu', '--no-first-run',
             '--remote-debugging-port=0', '--remote-allow-origins=*', '--user-data-dir=' + profile,
             '--window-size=1400,700', 'about:blank'],
            stdout=log, stderr=log, env=dict(os.environ, TZ='UTC'))
        port_file = os.path.join(profile, 'DevToolsActivePort')
        for _ in range(300):
            if os.path.exists(port_file) and len(open(port_file).read().split()) == 2:
                break
            if self.proc.poll() is not None:
                raise OSError('chromium ended at start-up')
            time.sleep(0.1)
        else:
            raise OSError('chromium gave no DevTools port')
        port, path = open(port_file).read().split()
        self.ws = websocket.create_connection('ws://127.0.0.1:%s%s' % (port, path), timeout=60)
        self.next_id = 0
        self.events = []

    def send(self, method, session=None, **params):
        """Sends without waiting for the reply (which a crash never gives)."""
        self.next_id += 1
        message = {'id': self.next_id, 'method': method, 'params': params}
        if session:
            message['sessionId'] = session
        self.ws.send(json.dumps(message))

    def call(self, method, session=None, **params):
        self.send(method, session, **params)
        while True:
            reply = json.loads(self.ws.recv())
            if reply.get('id') == self.next_id:
                if 'error' in reply:
                    raise Failed('%s: %s' % (method, reply['error']))
                return reply.get('result', {})
            self.events.append(reply)

    def tab(self, url):
        target = self.call('Target.createTarget', url='about:blank')['targetId']
        session = self.call('Target.attachToTarget', targetId=target, flatten=True)['sessionId']
        tab = Tab(self, target, session)
        tab.call('Page.enable')
        tab.call('Runtime.enable')
        tab.call('Page.navigate', url=url)
        return tab

    def close(self):
        try:
            self.ws.close()
        finally:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class Tab:
    def __init__(self, browser, target, session):
        self.browser, self.target, self.session = browser, target, session

    def call(self, method, **params):
        return self.browser.call(method, self.session, **params)

    def crash(self):
        """Kills the tab's renderer: no page-hide handler runs."""
        self.browser.send('Page.crash', self.session)

    def eval(self, expression):
        reply = self.call('Runtime.evaluate', expression=expression, returnByValue=True, awaitPromise=True)
        if 'exceptionDetails' in reply:
            raise Failed('%s: %s' % (expression, reply['exceptionDetails'].get('text')))
        return reply['result'].get('value')

    def wait(self, expression, what, seconds=30):
        end = time.time() + seconds
        while time.time() < end:
            try:
                value = self.eval(expression)
            except Failed:  # the page is not there yet
                value = None
            if value:
                return value
            time.sleep(0.1)
        raise Failed('timed out waiting for ' + what)

    def key(self, name):
        """One key in the script language: F2, RET, C-s, S-TAB, a."""
        mods = 0
        while len(name) > 2 and name[1] == '-' and name[0] in 'CSA':
            mods |= {'C': MOD_CTRL, 'S': MOD_SHIFT, 'A': MOD_ALT}[name[0]]
            name = name[2:]
        if name in SPECIAL:
            key, code, vk = SPECIAL[name]
            text = ''
        else:
            key, text = name, name if not mods & (MOD_CTRL | MOD_ALT) else ''
            code = 'Key' + name.upper() if name.isalpha() else 'Digit' + name if name.isdigit() else ''
            vk = ord(name.upper())
        down = dict(type='keyDown' if text else 'rawKeyDown', key=key, code=code,
                    windowsVirtualKeyCode=vk, modifiers=mods)
        if text:
            down['text'] = text
        self.call('Input.dispatchKeyEvent', **down)
        self.call('Input.dispatchKeyEvent', type='keyUp', key=key, code=code, windowsVirtualKeyCode=vk,
                  modifiers=mods)

    def keys(self, names, pause=0.15):
        for name in names.split():
            self.key(name)
            time.sleep(pause)

    def compose(self, reading, committed):
        """The input method: a reading shown, then committed as text."""
        self.call('Input.imeSetComposition', text=reading, selectionStart=len(reading),
                  selectionEnd=len(reading))
        time.sleep(0.2)
        self.call('Input.insertText', text=committed)

    def canvas_grey(self):
        """The canvas's 640 x 240 pixels as bytes (the red channel: the greys)."""
        data = self.eval("""(() => {
          const d = document.getElementById('screen').getContext('2d').getImageData(0, 0, 640, 240).data;
          let s = '';
          for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i]);
          return btoa(s);
        })()""")
        return base64.b64decode(data)

    def file_bytes(self, path):
        """A file of the page's working folder, or None."""
        data = self.eval("""(() => { try { const b = FS.readFile(%s); let s = '';
          for (const c of b) s += String.fromCharCode(c); return btoa(s); } catch (e) { return null; } })()"""
                         % json.dumps(path))
        return None if data is None else base64.b64decode(data)

    def choose_file(self, selector, path):
        """The file chooser of an <input type=file>, as the user picks a file."""
        root = self.call('DOM.getDocument')['root']['nodeId']
        node = self.call('DOM.querySelector', nodeId=root, selector=selector)['nodeId']
        self.call('DOM.setFileInputFiles', files=[path], nodeId=node)

    def screenshot(self, path):
        data = self.call('Page.captureScreenshot', format='png')['data']
        with open(path, 'wb') as f:
            f.write(base64.b64decode(data))

    def close(self):
        self.browser.call('Target.closeTarget', targetId=self.target)
