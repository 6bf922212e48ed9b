// What the browser tests share: a page server on loopback, Debian's
// Chromium driven by playwright-core with a fresh profile, and readers of
// the control's rendered elements.
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn, spawnSync } = require('node:child_process');
const { chromium } = require('playwright-core');
const { createServer, listen } = require('../server/page-server.js');

const repo = path.resolve(__dirname, '..', '..');
const controlDir = process.env.ZEMRA_WEB_DIST || path.join(repo, 'build-web', 'dist');
const screenshotDir = path.join(repo, 'build-web', 'screenshots');
const TODAY = '2026-12-06';

function requireBuild() {
  const wasm = path.join(controlDir, 'zemra-module.wasm');
  if (!fs.existsSync(wasm)) throw new Error(`${wasm} is missing: build the web module first (scripts/test.sh does)`);
}

// A page server on a free loopback port, in this process.
async function startServer(options = {}) {
  requireBuild();
  const server = createServer({ host: '127.0.0.1', port: 0, control: controlDir, delay: options.delay || 0,
    properties: options.properties || path.join(repo, 'samples', 'portfolio.json'), replies: options.replies || path.join(repo, 'samples', 'replies.json') });
  const port = await listen(server, { host: '127.0.0.1', port: 0 });
  const origin = `http://127.0.0.1:${port}`;
  return {
    origin,
    async setDelay(ms) {
      const res = await fetch(`${origin}/stand-in/settings?delay=${ms}`);
      if (!res.ok) throw new Error(`cannot set the stand-in delay: ${res.status}`);
    },
    close: () => new Promise((resolve) => { server.closeAllConnections(); server.close(() => resolve()); }),
  };
}

// The real server pages, zemra-pages (built in build/), on a free loopback
// port with a throwaway SQLite database in `folder`; `book` replaces the
// demo book. Resolves once it says where it listens.
const serviceBinary = process.env.ZEMRA_PAGES || path.join(repo, 'build', 'pages', 'service', 'zemra-pages');
const serviceMissing = fs.existsSync(serviceBinary) ? false : `${serviceBinary} is not built: cmake --build build --target zemra-pages`;
async function startService(folder, book) {
  requireBuild();
  const child = spawn(serviceBinary, ['--listen', '127.0.0.1:0', '--database', path.join(folder, 'pages.sqlite'),
    '--control', controlDir, '--today', TODAY, '--threads', '2', '--engine-threads', '1', ...(book ? ['--book', book] : [])],
  { stdio: ['ignore', 'pipe', 'pipe'] });
  let output = '';
  const exited = new Promise((resolve) => child.on('exit', (code, signal) => resolve({ code, signal })));
  const origin = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`zemra-pages did not start:\n${output}`)), 30000);
    const read = (chunk) => {
      const found = /zemra-pages: (http:\/\/127\.0\.0\.1:\d+)\//.exec(output += chunk);
      if (found) { clearTimeout(timer); resolve(found[1]); }
    };
    for (const stream of [child.stdout, child.stderr]) stream.on('data', read);
    exited.then(({ code }) => { clearTimeout(timer); reject(new Error(`zemra-pages exited (${code}):\n${output}`)); });
  });
  // SIGTERM stops it cleanly; one that hangs is killed after a while.
  const close = async () => {
    if (child.exitCode === null && child.signalCode === null) {
      child.kill('SIGTERM');
      const timer = setTimeout(() => child.kill('SIGKILL'), 10000);
      await exited;
      clearTimeout(timer);
    }
    fs.rmSync(folder, { recursive: true, force: true });
  };
  return { origin, output: () => output, close };
}

// Chromium from Debian, headless, with a profile of its own that is removed
// afterwards. Message boxes are answered from `answers` (Yes for confirm
// unless a test queued No) and recorded in `dialogs`.
async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zemra-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.ZEMRA_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    viewport: { width: 1280, height: 800 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
  const page = context.pages()[0] || await context.newPage();
  const session = { context, page, dialogs: [], answers: [], errors: [] };
  page.on('pageerror', (e) => session.errors.push(e.message));
  page.on('dialog', async (d) => {
    session.dialogs.push({ type: d.type(), message: d.message() });
    const yes = d.type() !== 'confirm' || !session.answers.length || session.answers.shift();
    await (yes ? d.accept() : d.dismiss());
  });
  session.close = async () => { await context.close(); fs.rmSync(profile, { recursive: true, force: true }); };
  return session;
}

// A page server (startServer's options) and a browser for one test, closed
// after it, with the host page at pagePath opened (unless null).
async function session(t, options = {}, pagePath = '/') {
  const server = await startServer(options);
  const browser = await launch();
  t.after(async () => { await browser.close(); await server.close(); });
  if (pagePath !== null) await openPage(browser.page, server.origin, pagePath);
  return { server, browser, page: browser.page };
}

// A sample file (samples/NAME.json), and JSON files in a folder of their own
// removed after the test: { name: value } gives { name: file }.
const sample = (name) => JSON.parse(fs.readFileSync(path.join(repo, 'samples', `${name}.json`), 'utf8'));
function jsonFiles(t, files) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zemra-test-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  return Object.fromEntries(Object.entries(files).map(([name, value]) => {
    const file = path.join(dir, `${name}.json`);
    fs.writeFileSync(file, JSON.stringify(value));
    return [name, file];
  }));
}

// Opens a host page and waits until its start-up has finished.
async function openPage(page, origin, pagePath = '/') {
  await page.goto(`${origin}${pagePath}${pagePath.includes('?') ? '&' : '?'}today=${TODAY}`);
  await page.waitForFunction(() => window.controlStarted !== undefined);
  await page.evaluate(() => window.controlStarted);
  await installDiagnostics(page);
}

// The rendered element of a widget.
const sel = (name, form = 'MainCtl') => `zemra-impact-analysis .zemra-w[data-form="${form}"][data-widget="${name}"]`;

// What the element shows of a widget: the text a person reads.
const shown = (page, name, form = 'MainCtl') => page.$eval(sel(name, form), (el) => {
  if (el.matches('input')) return el.value;
  if (el.classList.contains('zemra-list')) return [...el.children].map((r) => r.textContent);
  return (el.classList.contains('zemra-combo') ? el.querySelector('.zemra-combo-text') : el).textContent;
});

// The name of the widget that has the page's focus inside the control.
const focusedWidget = (page) => page.evaluate(() => {
  const host = document.querySelector('zemra-impact-analysis');
  const el = host && host.shadowRoot.activeElement;
  return el && el.dataset ? el.dataset.widget || null : null;
});

// The tests' own look inside the element, installed on the test page only
// (host pages see nothing of it on the element): the state last shown, what
// the control asked of the page, and whether a call to the module is
// running. Both come from the element's own module instances, imported from
// the element's folder.
async function installDiagnostics(page) {
  await page.evaluate(async () => {
    if (window.zemraTestDiagnostics) return;
    const script = document.querySelector('script[src$="zemra-impact-analysis.js"]');
    const folder = script ? script.src : new URL('/control/zemra-impact-analysis.js', location.href).href;
    const { scheduler } = await import(new URL('call-scheduler.js', folder).href);
    const { sessionDiagnostics } = await import(new URL('impact-analysis-element.js', folder).href);
    window.zemraTestDiagnostics = () => {
      const seen = sessionDiagnostics(document.querySelector('zemra-impact-analysis'));
      return { state: seen ? seen.state : null, log: seen ? seen.log : null, busy: scheduler.busy };
    };
  });
}

// The control's model and host log, for comparing with the headless host.
async function diagnostics(page) {
  await installDiagnostics(page);
  return page.evaluate(() => window.zemraTestDiagnostics());
}

// Waits until no call to the module runs (the real pages' valuations may
// take longer than playwright's default wait).
async function waitIdle(page, timeout = 30000) {
  await installDiagnostics(page);
  await page.waitForFunction(() => !window.zemraTestDiagnostics().busy, null, { timeout });
}

// Sets the window's size and waits until the element has fitted its panel.
async function resize(page, width, height) {
  await page.setViewportSize({ width, height });
  await page.evaluate(() => new Promise((resolve) => { window.scrollTo(0, 0); requestAnimationFrame(() => requestAnimationFrame(resolve)); }));
}

// A line of the headless host's script language done as a person does it
// in the page (all but dump): real mouse and keyboard input.
const KEYS = { 9: 'Tab', 13: 'Enter', 27: 'Escape', 37: 'ArrowLeft', 38: 'ArrowUp', 39: 'ArrowRight', 40: 'ArrowDown', 46: 'Delete' };
// The page moves the focus as a script or assistive technology does.
const focusByScript = (page, el) => page.$eval(`${el} >> nth=0`, (node) => (node.matches('input, button, [tabindex]') ? node : node.querySelector('input')).focus());

async function perform(session, line) {
  const { page } = session;
  const [action, name = '', ...more] = line.split(' ');
  const rest = more.join(' ');
  const dot = name.indexOf('.');
  const el = dot < 0 ? sel(name) : sel(name.slice(dot + 1), name.slice(0, dot));
  const row = `${el} .zemra-row >> nth=${Number(rest)}`;
  // A field is entered (and its text selected) as a script would, then typed in.
  const enter = async () => { await focusByScript(page, el); await waitIdle(page); };
  const [code, modifiers = '0'] = rest.split(' ');
  const actions = {
    focus: () => focusByScript(page, el),
    // The typed text replaces the field's text in one input.
    type: async () => { await enter(); await page.$eval(el, (input) => input.select()); await (rest === '' ? page.keyboard.press('Delete') : page.keyboard.insertText(rest)); },
    click: () => page.click(el),
    select: () => page.click(row),
    ctrlselect: () => page.click(row, { modifiers: ['Control'] }),
    shiftselect: () => page.click(row, { modifiers: ['Shift'] }),
    dblclick: () => page.dblclick(row),
    pick: async () => { await page.click(el); await page.click(`zemra-impact-analysis .zemra-popup-entry:text-is(${JSON.stringify(rest)})`); },
    check: async () => { if (await page.$eval(`${el} input`, (i) => i.checked) !== (rest === '1')) await page.click(el); },
    key: async () => {
      if (!KEYS[code]) throw new Error(`no key for code ${code}`);
      await enter();
      await page.keyboard.press(Number(modifiers) & 1 ? `Shift+${KEYS[code]}` : KEYS[code]);
    },
    answer: () => session.answers.push(name === 'yes'),
  };
  if (!actions[action]) throw new Error(`the journey has an unknown action: ${action}`);
  await actions[action]();
  await waitIdle(page);
}

// The CSV text the pane's Download CSV button saves.
async function downloadCsv(page) {
  const [file] = await Promise.all([page.waitForEvent('download'), page.click('zemra-impact-analysis .zemra-csv-download')]);
  return fs.readFileSync(await file.path(), 'utf8');
}

async function screenshot(page, name) {
  fs.mkdirSync(screenshotDir, { recursive: true });
  await page.screenshot({ path: path.join(screenshotDir, name) });
}

// Runs a script of user actions in the headless host on the same sample
// portfolio and canned replies; returns the state of every dump line.
function runHeadless(script, options = {}) {
  const headless = process.env.ZEMRA_HEADLESS || path.join(repo, 'build', 'zemra-headless');
  if (!fs.existsSync(headless)) throw new Error(`${headless} is missing: build the native parts first (scripts/test.sh does)`);
  const result = spawnSync(headless, ['--properties', options.properties || path.join(repo, 'samples', 'portfolio.json'),
    '--replies', options.replies || path.join(repo, 'samples', 'replies.json'), '--today', TODAY], { input: script, encoding: 'utf8', maxBuffer: 1 << 28 });
  if (result.status !== 0) throw new Error(`zemra-headless failed (${result.status}): ${result.stderr}`);
  // One pretty-printed object a dump: each closes with a "}" line of its own.
  return result.stdout.split(/^}$/m).filter((t) => t.trim() !== '').map((t) => JSON.parse(`${t}}`));
}

// The panel's widgets in a dump or snapshot, by name.
const panelWidgets = (state) => state.forms[0].widgets;

// What the page shows of one widget, in the fields of a headless dump, so
// that the rendering can be compared with the model.
const shownAsDump = (page, name, form = 'MainCtl') => page.$eval(sel(name, form), (el) => {
  const is = (c) => el.classList.contains(c);
  const input = el.querySelector('input');
  const out = { visible: getComputedStyle(el).visibility !== 'hidden', enabled: !is('zemra-disabled') };
  // A data view is shown or left out of the page.
  if (is('zemra-view')) return { ...out, visible: el.style.display !== 'none' };
  if (el.matches('input')) return { ...out, text: el.value, locked: el.readOnly, enabled: !el.disabled };
  const ariaEnabled = el.getAttribute('aria-disabled') !== 'true';
  if (is('zemra-list')) {
    const rows = [...el.children];
    return { ...out, rows: rows.map((r) => (r.textContent === '\u00a0' ? '' : r.textContent)), selected: rows.map((r) => r.classList.contains('zemra-selected')), enabled: ariaEnabled };
  }
  if (is('zemra-combo')) return { ...out, text: el.querySelector('.zemra-combo-text').textContent, enabled: ariaEnabled };
  if (is('zemra-check') || is('zemra-option')) return { ...out, caption: el.querySelector('span').textContent, checked: input.checked, enabled: !input.disabled };
  if (el.matches('button')) return { ...out, caption: el.textContent, enabled: !el.disabled };
  return { ...out, caption: el.matches('fieldset') ? el.querySelector('legend').textContent : el.textContent };
});

// The fields of a dumped widget that the page shows.
function visibleFields(w) {
  const own = { textbox: { text: w.text, locked: w.locked }, listbox: { rows: w.rows, selected: w.selected }, combobox: { text: w.text },
    checkbox: { caption: w.caption, checked: w.value === 1 }, option: { caption: w.caption, checked: !!w.value }, dataview: {} };
  return { visible: w.visible, enabled: w.enabled, ...(own[w.kind] || { caption: w.caption }) };
}

// A figure as the views show it (grouped, negative in parentheses) as a number.
const amount = (text) => (text.startsWith('(') ? -1 : 1) * Number(text.replace(/[(),]/g, ''));

// The fields of CSV lines (quoted fields may hold commas and doubled quotes).
const csvRows = (text) => text.split('\r\n').filter((line) => line !== '').map((line) => [...line.matchAll(/(?:^|,)("(?:[^"]|"")*"|[^,]*)/g)]
  .map(([, f]) => (f.startsWith('"') ? f.slice(1, -1).replace(/""/g, '"') : f)));

module.exports = {
  repo, TODAY, startServer, startService, serviceMissing, session, sample, jsonFiles, resize, launch, openPage, sel, shown, focusedWidget, diagnostics, waitIdle, screenshot, downloadCsv,
  perform, runHeadless, panelWidgets, shownAsDump, visibleFields, amount, csvRows,
};
