#!/usr/bin/python3
"""Velmo's page (make web) in a headless Chromium, driven over the DevTools
protocol, checked against the Linux build's velmo-headless and velmo-cli:
  1. F2, a text, RETURN, F7, F10: the canvas equals velmo-headless's picture
     after the same keys (the glyph table is the Linux glyph source), and the
     save was flushed to the browser's storage (window.velmoSaved); Alt+A
     shows About as a page dialog that does not stop Alt+1;
  2. a reload keeps the entry, and the downloaded record file holds it for
     velmo-cli dump;
  3. a tab whose renderer is killed right after a save keeps the entry;
  4. a second tab on the record says it is open elsewhere and writes
     nothing, and starts when reloaded after the first has closed;
  5. composition events commit Japanese text (Shift-JIS in the record);
  6. a record file opened from the computer becomes the record after a
     restart, the one it replaced kept beside it; a damaged one is kept and
     Velmo starts;
  7. in another time zone, the iCalendar download is what velmo-cli
     export-ics writes for the same record (the zone's VTIMEZONE aside) and
     imports into velmo-cli as the same agenda; .ics files opened from the
     computer (VTIMEZONE, weekly rules) give the agenda velmo-cli import-ics
     gives, and what the import tells is shown; a file that is no calendar
     is told and nothing written;
  8. q ends Velmo as on Linux: the continuation file is written and kept,
     and the page says how to start again;
  9. everything the page loads, each file gzipped at level 9, stays under
     1,000,000 bytes.
One browser for all; the page is served from 127.0.0.1 on a free port.
Usage: browser_test.py WEB_BUILD LINUX_BUILD [SHOT.png]
Exit status 77 (skipped) where Chromium cannot start."""
import functools
import gzip
import http.server
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cdp  # noqa: E402

NOW = '2026-12-07T09:00'
SKIP = 77
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PAGE_FILES = ('index.html', 'page.js', 'velmo.js', 'velmo.wasm', 'velmo.data')
SIZE_GOAL = 1000000
ZONE = 'America/New_York'  # summer time, and not this machine's zone
# VTIMEZONEs (an Outlook zone, a prefixed TZID), a weekly rule, moved occurrences
CALENDARS = ('web-calendar.ics', 'desktop-mail.ics', 'server.ics')
AGENDA = ('--from', '2023-06-01', '--days', '1200')


def skip(why):
    print('SKIPPED: ' + why, file=sys.stderr)
    sys.exit(SKIP)


def read_png_grey(path):
    """An 8-bit grey PNG (as velmo-headless writes it) as width, height, bytes."""
    data = open(path, 'rb').read()
    at, idat, width, height = 8, b'', 0, 0
    while at < len(data):
        length = int.from_bytes(data[at:at + 4], 'big')
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        if kind == b'IHDR':
            width, height = int.from_bytes(body[0:4], 'big'), int.from_bytes(body[4:8], 'big')
            assert body[8] == 8 and body[9] == 0, 'not an 8-bit grey PNG'
        elif kind == b'IDAT':
            idat += body
        at += 12 + length
    raw, out, prior = zlib.decompress(idat), bytearray(), bytearray(width)
    for y in range(height):
        kind, line = raw[y * (width + 1)], bytearray(raw[y * (width + 1) + 1:(y + 1) * (width + 1)])
        for x in range(width):
            a = line[x - 1] if x else 0
            b, c = prior[x], prior[x - 1] if x else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        out += line
        prior = line
    return width, height, bytes(out)


def headless_picture(linux, work, script, name='headless', record=None):
    folder = os.path.join(work, name)
    os.makedirs(folder)
    if record is not None:
        with open(os.path.join(folder, 'record'), 'wb') as f:
            f.write(record)
    with open(os.path.join(folder, 'script'), 'w') as f:
        f.write(script + 'shot shot.png\nquit\n')
    subprocess.run([os.path.join(linux, 'velmo-headless'), '--folder', '.', '--now', NOW, '--script', 'script'],
                   cwd=folder, check=True, capture_output=True, timeout=60)
    return read_png_grey(os.path.join(folder, 'shot.png'))[2]


def dump(linux, work, name, data):
    path = os.path.join(work, name)
    with open(path, 'wb') as f:
        f.write(data)
    result = subprocess.run([os.path.join(linux, 'velmo-cli'), 'dump', path], capture_output=True, timeout=60)
    if result.returncode != 0:
        raise cdp.Failed('velmo-cli dump cannot read %s: %s' % (name, result.stderr.decode(errors='replace')))
    return result.stdout.decode('utf-8', errors='replace')


def same_picture(tab, want, when):
    differ = sum(1 for a, b in zip(want, tab.canvas_grey()) if a != b)
    if differ:
        raise cdp.Failed('%s the canvas differs from velmo-headless in %d pixels' % (when, differ))


def started(tab):
    tab.wait("window.velmoFirstFrame !== undefined", 'the first frame')


def saved(tab):
    return tab.eval('window.velmoSaved')


def wait_saved(tab, after, what):
    tab.wait('window.velmoSaved > %d' % after, what)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(folder):
    handler = functools.partial(QuietHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def case_keys_and_pixels(browser, url, linux, work, shot):
    tab = browser.tab(url + '?now=' + NOW)
    started(tab)
    print('  first frame %.0f ms after navigation start' % tab.eval('window.velmoFirstFrame'))
    before = saved(tab)
    tab.keys('F2')
    time.sleep(0.5)
    tab.keys('l u n c h')
    time.sleep(0.3)
    tab.keys('RET')
    wait_saved(tab, before, 'the flush after the save')
    tab.keys('F7 F10')
    time.sleep(2)
    want = headless_picture(linux, work, 'F2\nl u n c h\nRET\nF7\nF10\nwait 2000\n')
    if shot:
        tab.screenshot(shot)
    same_picture(tab, want, 'after F2, a text, RET, F7, F10')
    if '"lunch"' not in dump(linux, work, 'after-keys', tab.file_bytes('/velmo/record')):
        raise cdp.Failed('the record file does not hold "lunch"')
    # Alt+A: About as a page dialog, while the program goes on taking keys.
    tab.keys('A-a')
    tab.wait("[...document.querySelectorAll('.velmo-dialog h2')].some(h => h.textContent === 'About')",
             'the About dialog')
    tab.keys('A-1')
    time.sleep(1)
    same_picture(tab, headless_picture(linux, work, 'F2\nl u n c h\nRET\nF7\nF10\nwait 2000\ncmd 4518\nwait 1000\n',
                                       'alt-run'), 'after Alt+1 with About open')
    tab.eval("document.querySelectorAll('.velmo-dialog button').forEach(b => b.click())")
    return tab


def case_reload_and_download(browser, tab, linux, work):
    tab.call('Page.reload')
    started(tab)
    downloads = os.path.join(work, 'downloads')
    os.makedirs(downloads)
    browser.call('Browser.setDownloadBehavior', behavior='allow', downloadPath=downloads)
    tab.eval("document.getElementById('download-record').click()")
    path = os.path.join(downloads, 'record')
    for _ in range(100):
        if os.path.exists(path) and os.path.getsize(path) > 0:
            break
        time.sleep(0.1)
    else:
        raise cdp.Failed('no record file downloaded')
    time.sleep(0.3)
    if '"lunch"' not in dump(linux, work, 'downloaded', open(path, 'rb').read()):
        raise cdp.Failed('the downloaded record file, after a reload, does not hold "lunch"')


def case_killed_after_save(browser, tab, url, linux, work):
    before = saved(tab)
    tab.keys('F2')
    time.sleep(0.5)
    tab.keys('t e a RET')
    wait_saved(tab, before, 'the flush after saving "tea"')
    tab.crash()
    time.sleep(1)
    tab.close()
    again = browser.tab(url + '?now=' + NOW)
    started(again)
    if '"tea"' not in dump(linux, work, 'after-kill', again.file_bytes('/velmo/record')):
        raise cdp.Failed('the entry saved just before the tab was killed is lost')
    return again


def case_two_tabs(browser, first, url):
    second = browser.tab(url + '?now=' + NOW)
    second.wait("!document.getElementById('already-open').hidden", 'the second tab to say Velmo is open')
    if second.eval("typeof window.Module !== 'undefined' || window.velmoSaved !== 0"):
        raise cdp.Failed('the second tab started Velmo')
    first.close()
    time.sleep(0.5)
    second.call('Page.reload')
    started(second)
    return second


def case_composition(tab, linux, work):
    before = saved(tab)
    tab.keys('F2')
    tab.wait("document.activeElement === document.getElementById('ime')", 'the input field to take the focus')
    tab.compose('にほん', '日本')
    time.sleep(0.3)
    tab.keys('RET')
    wait_saved(tab, before, 'the flush after saving the composed text')
    text = dump(linux, work, 'composed', tab.file_bytes('/velmo/record'))
    if '"日本"' not in text:
        raise cdp.Failed('the composed text did not reach the record file:\n' + text[:2000])


def check_sizes(web):
    total = 0
    for name in PAGE_FILES:
        data = open(os.path.join(web, name), 'rb').read()
        packed = len(gzip.compress(data, 9))
        total += packed
        print('  %-11s %8d bytes, %7d gzipped' % (name, len(data), packed))
    print('  everything gzipped: %d bytes' % total)
    if total >= SIZE_GOAL:
        raise cdp.Failed('the page loads %d bytes gzipped, over %d' % (total, SIZE_GOAL))


def cli(linux, folder, *args):
    return subprocess.run([os.path.join(linux, 'velmo-cli'), '--folder', folder] + list(args), capture_output=True,
                          timeout=120, env=dict(os.environ, TZ=ZONE))


def agenda(linux, folder):
    result = cli(linux, folder, 'agenda', *AGENDA)
    if result.returncode != 0:
        raise cdp.Failed('velmo-cli agenda in %s: %s' % (folder, result.stderr.decode(errors='replace')))
    return result.stdout.decode('utf-8', errors='replace')


def page_folder(tab, work, name):
    """The page's record file and its UIDs, in a folder of their own."""
    folder = os.path.join(work, name)
    os.makedirs(folder)
    for file in ('record', 'record.uids'):
        data = tab.file_bytes('/velmo/' + file)
        if data is not None:
            with open(os.path.join(folder, file), 'wb') as f:
                f.write(data)
    return folder


def without_zone(text):
    """The zone's VTIMEZONE comes from the browser on the page, from libical in velmo-cli."""
    return re.sub(r'BEGIN:VTIMEZONE\r\n.*?END:VTIMEZONE\r\n', '', text, flags=re.S)


def downloaded(path, what):
    for _ in range(100):
        if os.path.exists(path) and os.path.getsize(path) > 0:
            time.sleep(0.3)
            return open(path, 'rb').read().decode('utf-8')
        time.sleep(0.1)
    raise cdp.Failed('no %s downloaded' % what)


def case_icalendar(tab, source, linux, work):
    tab.call('Emulation.setTimezoneOverride', timezoneId=ZONE)
    tab.call('Page.reload')
    started(tab)
    tab.eval("document.getElementById('download-ics').click()")
    ics = downloaded(os.path.join(work, 'downloads', 'velmo.ics'), 'iCalendar export')
    page = page_folder(tab, work, 'ics-page')
    native = cli(linux, page, 'export-ics').stdout.decode('utf-8')
    if 'TZID:' + ZONE not in ics or without_zone(ics) != without_zone(native):
        raise cdp.Failed('the page\'s iCalendar export differs from velmo-cli export-ics:\n' + ics[:3000])
    fresh = os.path.join(work, 'ics-fresh')
    os.makedirs(fresh)
    result = cli(linux, fresh, 'import-ics', os.path.join(work, 'downloads', 'velmo.ics'))
    if result.returncode != 0 or agenda(linux, fresh) != agenda(linux, page):
        raise cdp.Failed('the page\'s iCalendar export imports into another agenda: %s' % result.stderr.decode())
    # A zone named without its VTIMEZONE: the browser's zone data on the page, the system's in velmo-cli.
    system_zone = os.path.join(work, 'system-zone.ics')
    with open(system_zone, 'w') as f:
        f.write('BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:berlin\r\n'
                'DTSTART;TZID=Europe/Berlin:20240301T090000\r\nDTEND;TZID=Europe/Berlin:20240301T100000\r\n'
                'RRULE:FREQ=WEEKLY;COUNT=8\r\nSUMMARY:berlin\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n')
    for name in CALENDARS + (system_zone,):
        file = os.path.join(source, 'tests', 'tools', 'ics', name)
        want = page_folder(tab, work, 'ics-native-' + os.path.basename(name))
        told = cli(linux, want, 'import-ics', file).stdout.decode('utf-8').strip().split('\n')[-1]
        tab.choose_file('#open-file', file)
        time.sleep(1)
        started(tab)
        tab.wait("[...document.querySelectorAll('.velmo-dialog')].some(d => d.textContent.includes(%s))"
                 % json.dumps(told), 'the import to tell "%s"' % told)
        tab.eval("document.querySelectorAll('.velmo-dialog button').forEach(b => b.click())")
        got = page_folder(tab, work, 'ics-page-' + os.path.basename(name))
        if tab.eval("FS.analyzePath('/velmo/import').exists") or agenda(linux, got) != agenda(linux, want):
            raise cdp.Failed('%s opened on the page gives another agenda than velmo-cli import-ics' % name)
    bad = os.path.join(work, 'no-calendar.ics')
    with open(bad, 'w') as f:
        f.write('BEGIN:VEVENT\r\nEND:VEVENT\r\n')
    before = tab.file_bytes('/velmo/record')
    tab.choose_file('#open-file', bad)
    time.sleep(1)
    started(tab)
    tab.wait("[...document.querySelectorAll('.velmo-dialog')].some(d => d.textContent.includes('nothing written'))",
             'the import to refuse a file that is no calendar')
    tab.eval("document.querySelectorAll('.velmo-dialog button').forEach(b => b.click())")
    if tab.file_bytes('/velmo/record') != before:
        raise cdp.Failed('a refused .ics changed the record file')


def case_open_file(tab, source, linux, work):
    demo = open(os.path.join(source, 'share', 'demo', 'record'), 'rb').read()
    before = tab.file_bytes('/velmo/record')
    tab.choose_file('#open-file', os.path.join(source, 'share', 'demo', 'record'))
    time.sleep(1)
    started(tab)
    tab.wait("FS.analyzePath('/velmo/record.replaced').exists", 'the replaced record kept')
    if tab.file_bytes('/velmo/record') != demo or tab.file_bytes('/velmo/record.replaced') != before:
        raise cdp.Failed('the opened file is not the record, or the replaced one was not kept')
    damaged = os.path.join(work, 'damaged')
    with open(damaged, 'wb') as f:
        f.write(demo[:len(demo) // 2 + 3])
    tab.choose_file('#open-file', damaged)
    time.sleep(1)
    started(tab)
    tab.wait("FS.analyzePath('/velmo/record.replaced.1').exists", 'the second replaced record kept')
    if tab.file_bytes('/velmo/record.replaced.1') != demo:
        raise cdp.Failed('the record a damaged file replaced was not kept')
    time.sleep(1)
    # Told as at every start: the same notice as velmo-headless on that file.
    same_picture(tab, headless_picture(linux, work, 'wait 1000\n', 'damaged-run', demo[:len(demo) // 2 + 3]),
                 'on a damaged record file')


def case_quit(tab):
    tab.eval("document.querySelectorAll('.velmo-dialog button').forEach(b => b.click())")
    tab.keys('RET')  # the damaged file's notice
    time.sleep(0.5)
    tab.eval("FS.analyzePath('/velmo/continue').exists && FS.unlink('/velmo/continue')")
    before = saved(tab)
    tab.keys('q')
    tab.wait("!document.getElementById('ended').hidden", 'the page to say Velmo has ended')
    wait_saved(tab, before, 'the flush at the end')
    tab.call('Page.reload')
    started(tab)
    if not tab.eval("FS.analyzePath('/velmo/continue').exists"):
        raise cdp.Failed('no continuation file kept after q')


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    web, linux = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    shot = os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else None
    chromium = shutil.which('chromium') or shutil.which('chromium-browser')
    if not chromium:
        skip('chromium is not installed (setup/install.sh setup/packages-web.txt)')
    for program in ('velmo-headless', 'velmo-cli'):
        if not os.access(os.path.join(linux, program), os.X_OK):
            skip('no %s in the Linux build %s (make build first)' % (program, linux))
    work = tempfile.mkdtemp(prefix='web-test.', dir=os.getcwd())
    server = serve(web)
    url = 'http://127.0.0.1:%d/index.html' % server.server_address[1]
    log = open(os.path.join(work, 'chromium.log'), 'w')
    try:
        browser = cdp.Browser(chromium, os.path.join(work, 'profile'), log)
    except OSError as e:
        skip('chromium cannot start: %s' % e)
    try:
        check_sizes(web)
        tab = case_keys_and_pixels(browser, url, linux, work, shot)
        print('keys and pixels: as velmo-headless')
        case_reload_and_download(browser, tab, linux, work)
        print('reload and download: the entry kept')
        tab = case_killed_after_save(browser, tab, url, linux, work)
        print('killed after a save: the entry kept')
        tab = case_two_tabs(browser, tab, url)
        print('two tabs: the second waits')
        case_composition(tab, linux, work)
        print('composition: Japanese committed')
        case_icalendar(tab, SOURCE, linux, work)
        print('iCalendar: the download and opened .ics files as velmo-cli does them')
        case_open_file(tab, SOURCE, linux, work)
        print('open a file: it is the record, the replaced one kept')
        case_quit(tab)
        print('q: Velmo ends, its continuation file kept')
    except (cdp.Failed, cdp.websocket.WebSocketException, subprocess.SubprocessError, OSError) as e:
        print('FAILED: %s (files in %s)' % (e, work), file=sys.stderr)
        return 1
    finally:
        browser.close()
        server.shutdown()
        log.close()
    shutil.rmtree(work, ignore_errors=True)
    print('the page in Chromium: all cases as expected')
    return 0


if __name__ == '__main__':
    sys.exit(main())
