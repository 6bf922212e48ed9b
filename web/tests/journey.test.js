// The same script of user actions gives the same control state in the
// headless host and in the page: the page's actions are real mouse and
// keyboard input on the rendered elements. Each journeys/NAME.script runs on
// the sample portfolio, or on NAME.properties.json and NAME.replies.json
// when they are there; a line "#screenshot FILE" (a comment to the headless
// host) writes a screenshot of the page.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const s = require('./support.js');

const JOURNEYS = path.join(__dirname, 'journeys');
const KEYS = { 9: 'Tab', 13: 'Enter', 27: 'Escape', 37: 'ArrowLeft', 38: 'ArrowUp', 39: 'ArrowRight', 40: 'ArrowDown', 46: 'Delete' };

const SHOT = '#screenshot ';

const stripOrigin = (address) => address.replace(/^https?:\/\/[^/]+/, '');

// The page's state in the form of the headless host's dump: the same
// snapshot, restricted to the elements the dump names, with what the
// control asked of the page.
function asDump(diag, want) {
  const forms = diag.state.forms.map((form, i) => {
    const names = want.forms[i] ? Object.keys(want.forms[i].widgets) : [];
    return { ...form, widgets: Object.fromEntries(names.filter((n) => n in form.widgets).map((n) => [n, form.widgets[n]])) };
  });
  return {
    ...diag.state,
    forms,
    messages: diag.log.messages,
    requests: diag.log.requests.map(stripOrigin),
    browserWindows: diag.log.browserWindows.map(stripOrigin),
  };
}

function normalised(dump) {
  return { ...dump, requests: dump.requests.map(stripOrigin), browserWindows: dump.browserWindows.map(stripOrigin) };
}

function parse(line) {
  const [action, name = '', ...rest] = line.split(' ');
  return { action, name, rest: rest.join(' ') };
}

function target(name) {
  const dot = name.indexOf('.');
  return dot < 0 ? { form: 'MainCtl', widget: name } : { form: name.slice(0, dot), widget: name.slice(dot + 1) };
}

async function idle(page) {
  await s.waitIdle(page);
}

// The page moves the focus as a script or assistive technology does.
async function focusByScript(page, el) {
  await page.$eval(`${el} >> nth=0`, (node) => (node.matches('input, button, [tabindex]') ? node : node.querySelector('input')).focus());
}

// One action of the script, done as a person does it in the page.
async function perform(session, { action, name, rest }) {
  const { page } = session;
  const { form, widget } = target(name);
  const el = s.sel(widget, form);
  switch (action) {
    case 'focus': await focusByScript(page, el); break;
    case 'type':
      // The field is entered, its text selected and replaced by the typed
      // text in one input.
      await focusByScript(page, el);
      await idle(page);
      await page.$eval(el, (input) => input.select());
      if (rest === '') await page.keyboard.press('Delete');
      else await page.keyboard.insertText(rest);
      break;
    case 'click': await page.click(el); break;
    case 'select': await page.click(`${el} .zemra-row >> nth=${Number(rest)}`); break;
    case 'ctrlselect': await page.click(`${el} .zemra-row >> nth=${Number(rest)}`, { modifiers: ['Control'] }); break;
    case 'shiftselect': await page.click(`${el} .zemra-row >> nth=${Number(rest)}`, { modifiers: ['Shift'] }); break;
    case 'dblclick': await page.dblclick(`${el} .zemra-row >> nth=${Number(rest)}`); break;
    case 'pick':
      await page.click(el);
      await page.click(`zemra-impact-analysis .zemra-popup-entry:text-is(${JSON.stringify(rest)})`);
      break;
    case 'check': {
      const checked = await page.$eval(`${el} input`, (i) => i.checked);
      if (checked !== (rest === '1')) await page.click(el);
      break;
    }
    case 'key': {
      const [code, modifiers = '0'] = rest.split(' ');
      const key = KEYS[Number(code)];
      if (!key) throw new Error(`no key for code ${code}`);
      await focusByScript(page, el);
      await idle(page);
      await page.keyboard.press(Number(modifiers) & 1 ? `Shift+${key}` : key);
      break;
    }
    case 'answer': session.answers.push(name === 'yes'); break;
    default: throw new Error(`the journey has an unknown action: ${action}`);
  }
  await idle(page);
}

for (const file of fs.readdirSync(JOURNEYS).filter((f) => f.endsWith('.script')).sort()) {
  const name = path.basename(file, '.script');
  const own = (suffix) => {
    const candidate = path.join(JOURNEYS, `${name}.${suffix}.json`);
    return fs.existsSync(candidate) ? candidate : undefined;
  };
  test(`the browser and the headless host agree on the journey ${name}`, (t) => runJourney(t, file, { properties: own('properties'), replies: own('replies') }));
}

async function runJourney(t, file, files) {
  const script = fs.readFileSync(path.join(JOURNEYS, file), 'utf8');
  const expected = s.runHeadless(script, files).map(normalised);
  const server = await s.startServer(files);
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); });
  await s.openPage(browser.page, server.origin, '/');

  let dumpIndex = 0;
  const lines = script.split('\n').map((l) => l.trim()).filter((l) => l !== '' && (!l.startsWith('#') || l.startsWith(SHOT)));
  for (const line of lines) {
    if (line.startsWith(SHOT)) {
      await s.screenshot(browser.page, line.slice(SHOT.length).trim());
      continue;
    }
    const step = parse(line);
    if (step.action !== 'dump') {
      await perform(browser, step);
      continue;
    }
    const want = expected[dumpIndex];
    assert.ok(want, `the headless host printed no dump ${dumpIndex + 1}`);
    const got = asDump(await s.diagnostics(browser.page), want);
    for (const [i, form] of want.forms.entries()) {
      for (const [name, fields] of Object.entries(form.widgets)) {
        const where = `dump ${dumpIndex + 1}: ${form.name}.${name}`;
        assert.deepEqual(got.forms[i] && got.forms[i].widgets[name], fields, where);
        // The page shows what the model holds, in the panel and in the dialogs.
        assert.deepEqual(await s.shownAsDump(browser.page, name, form.name), s.visibleFields(fields), `${where} as shown`);
      }
    }
    assert.deepEqual(got, want, `dump ${dumpIndex + 1}`);
    dumpIndex++;
  }
  assert.equal(dumpIndex, expected.length);
  assert.deepEqual(browser.errors, []);
}
