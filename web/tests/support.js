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
  const server = createServer({
    host: '127.0.0.1',
    port: 0,
    control: controlDir,
    properties: options.properties || path.join(repo, 'samples', 'portfolio.json'),
    replies: options.replies || path.join(repo, 'samples', 'replies.json'),
    delay: options.delay || 0,
  });
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
      output += chunk;
      const found = /zemra-pages: (http:\/\/127\.0\.0\.1:\d+)\//.exec(output);
      if (found) { clearTimeout(timer); resolve(found[1]); }
    };
    child.stdout.on('data', read);
    child.stderr.on('data', read);
    exited.then(({ code }) => { clearTimeout(timer); reject(new Error(`zemra-pages exited (${code}):\n${output}`)); });
  });
  return {
    origin,
    output: () => output,
    // SIGTERM stops it cleanly; one that hangs is killed after a while.
    async close() {
      if (child.exitCode === null && child.signalCode === null) {
        child.kill('SIGTERM');
        const timer = setTimeout(() => child.kill('SIGKILL'), 10000);
        await exited;
        clearTimeout(timer);
      }
      fs.rmSync(folder, { recursive: true, force: true });
    },
  };
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
    if (d.type() === 'confirm') {
      const answer = session.answers.length ? session.answers.shift() : true;
      if (answer) await d.accept(); else await d.dismiss();
    } else {
      await d.accept();
    }
  });
  session.close = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return session;
}

// Opens a host page and waits until its start-up has finished.
async function openPage(page, origin, pagePath = '/') {
  await page.goto(`${origin}${pagePath}?today=${TODAY}`);
  await page.waitForFunction(() => window.controlStarted !== undefined);
  await page.evaluate(() => window.controlStarted);
  await installDiagnostics(page);
}

// The rendered element of a widget.
function sel(name, form = 'MainCtl') {
  return `zemra-impact-analysis .zemra-w[data-form="${form}"][data-widget="${name}"]`;
}

// What the element shows of a widget: the text a person reads.
async function shown(page, name, form = 'MainCtl') {
  return page.$eval(sel(name, form), (el) => {
    if (el.matches('input')) return el.value;
    if (el.classList.contains('zemra-list')) return [...el.children].map((r) => r.textContent);
    if (el.classList.contains('zemra-combo')) return el.querySelector('.zemra-combo-text').textContent;
    return el.textContent;
  });
}

// The name of the widget that has the page's focus inside the control.
async function focusedWidget(page) {
  return page.evaluate(() => {
    const host = document.querySelector('zemra-impact-analysis');
    const el = host && host.shadowRoot.activeElement;
    return el && el.dataset ? el.dataset.widget || null : null;
  });
}

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
  await page.evaluate(() => new Promise((resolve) => {
    window.scrollTo(0, 0);
    requestAnimationFrame(() => requestAnimationFrame(resolve));
  }));
}

async function screenshot(page, name) {
  fs.mkdirSync(screenshotDir, { recursive: true });
  const file = path.join(screenshotDir, name);
  await page.screenshot({ path: file });
  return file;
}

// Runs a script of user actions in the headless host on the same sample
// portfolio and canned replies; returns the state of every dump line.
function runHeadless(script, options = {}) {
  const headless = process.env.ZEMRA_HEADLESS || path.join(repo, 'build', 'zemra-headless');
  if (!fs.existsSync(headless)) throw new Error(`${headless} is missing: build the native parts first (scripts/test.sh does)`);
  const result = spawnSync(headless, [
    '--properties', options.properties || path.join(repo, 'samples', 'portfolio.json'),
    '--replies', options.replies || path.join(repo, 'samples', 'replies.json'),
    '--today', TODAY,
  ], { input: script, encoding: 'utf8' });
  if (result.status !== 0) throw new Error(`zemra-headless failed (${result.status}): ${result.stderr}`);
  // One pretty-printed object a dump: each closes with a "}" line of its own.
  return result.stdout.split(/^}$/m).filter((t) => t.trim() !== '').map((t) => JSON.parse(`${t}}`));
}

// The panel's widgets in a dump or snapshot, by name.
const panelWidgets = (state) => state.forms[0].widgets;

// What the page shows of one widget, in the fields of a headless dump, so
// that the rendering can be compared with the model.
async function shownAsDump(page, name, form = 'MainCtl') {
  return page.$eval(sel(name, form), (el) => {
    const out = { visible: getComputedStyle(el).visibility !== 'hidden' };
    if (el.classList.contains('zemra-view')) {
      // A data view is shown or left out of the page.
      Object.assign(out, { visible: el.style.display !== 'none', enabled: !el.classList.contains('zemra-disabled') });
    } else if (el.matches('input')) {
      Object.assign(out, { text: el.value, locked: el.readOnly, enabled: !el.disabled });
    } else if (el.classList.contains('zemra-list')) {
      const rows = [...el.children];
      Object.assign(out, {
        rows: rows.map((r) => (r.textContent === '\u00a0' ? '' : r.textContent)),
        selected: rows.map((r) => r.classList.contains('zemra-selected')),
        enabled: el.getAttribute('aria-disabled') !== 'true',
      });
    } else if (el.classList.contains('zemra-combo')) {
      Object.assign(out, { text: el.querySelector('.zemra-combo-text').textContent, enabled: el.getAttribute('aria-disabled') !== 'true' });
    } else if (el.classList.contains('zemra-check') || el.classList.contains('zemra-option')) {
      const input = el.querySelector('input');
      Object.assign(out, { caption: el.querySelector('span').textContent, checked: input.checked, enabled: !input.disabled });
    } else if (el.matches('button')) {
      Object.assign(out, { caption: el.textContent, enabled: !el.disabled });
    } else if (el.matches('fieldset')) {
      Object.assign(out, { caption: el.querySelector('legend').textContent, enabled: !el.classList.contains('zemra-disabled') });
    } else {
      Object.assign(out, { caption: el.textContent, enabled: !el.classList.contains('zemra-disabled') });
    }
    return out;
  });
}

// The fields of a dumped widget that the page shows.
function visibleFields(w) {
  const out = { visible: w.visible, enabled: w.enabled };
  switch (w.kind) {
    case 'textbox': Object.assign(out, { text: w.text, locked: w.locked }); break;
    case 'listbox': Object.assign(out, { rows: w.rows, selected: w.selected }); break;
    case 'combobox': Object.assign(out, { text: w.text }); break;
    case 'checkbox': Object.assign(out, { caption: w.caption, checked: w.value === 1 }); break;
    case 'option': Object.assign(out, { caption: w.caption, checked: !!w.value }); break;
    case 'dataview': break;
    default: Object.assign(out, { caption: w.caption });
  }
  return out;
}

// A figure as the views show it (grouped, negative in parentheses) as a number.
const amount = (text) => {
  const negative = text.startsWith('(');
  const n = Number(text.replace(/[(),]/g, ''));
  return negative ? -n : n;
};

// The fields of CSV lines (quoted fields may hold commas and doubled quotes).
function csvRows(text) {
  const rows = [];
  let row = [], field = '', quoted = false;
  for (let i = 0; i < text.length; i++) {
    const ch = text[i];
    if (quoted) {
      if (ch === '"' && text[i + 1] === '"') { field += '"'; i++; } else if (ch === '"') quoted = false; else field += ch;
    } else if (ch === '"') quoted = true;
    else if (ch === ',') { row.push(field); field = ''; } else if (ch === '\r' && text[i + 1] === '\n') {
      row.push(field); rows.push(row); row = []; field = ''; i++;
    } else field += ch;
  }
  return rows;
}

module.exports = {
  repo, TODAY, startServer, startService, serviceMissing, resize, launch, openPage, sel, shown, focusedWidget, diagnostics, waitIdle, screenshot,
  runHeadless, panelWidgets, shownAsDump, visibleFields, amount, csvRows,
};
