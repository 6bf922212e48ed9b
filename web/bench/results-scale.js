// The results view at scale, measured by hand (not one of the tests): 200
// securities x 3125 scenarios on the stand-in pages, the time of the
// start-up with its Update, of opening the results view and of scroll steps
// of its table (each from the scroll to the next frame, and the script work
// of drawing the table in it); writes results-200x3125.png to the screenshots. The
// scenario-detail requests of 3125 scenarios are longer than Node's
// default header limit:
//   node --max-http-header-size=8000000 bench/results-scale.js
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const s = require('../tests/support.js');

(async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zemra-scale-'));
  const sample = JSON.parse(fs.readFileSync(path.join(s.repo, 'samples', 'portfolio.json'), 'utf8'));
  const base = sample.RecordString.split('|')[0].split(';');
  const records = [];
  for (let k = 0; k < 200; k++) { const f = base.slice(); f[0] = String(2000 + k); f[1] = `Security ${k}`; records.push(f.join(';')); }
  const scen = [];
  const v = [-20, -10, 0, 10, 20];
  for (let j = 0; j < 3125; j++) {
    const a = v[Math.floor(j / 625) % 5], b = v[Math.floor(j / 125) % 5], c = v[Math.floor(j / 25) % 5], d = v[Math.floor(j / 5) % 5], e = v[j % 5];
    scen.push(`S${j};${a};${b};${c};${d + 20};${e};100;0;1;N`);
  }
  const props = { ...sample, RecordString: records.join('|'), ScenarioString: scen.join('|'), StoredScenarios: '' };
  fs.writeFileSync(path.join(dir, 'props.json'), JSON.stringify(props));
  const piece = (j) => `42.5;105.25;107.1;88.4;58.2;1.35;-0.21;0.41;31.2;340;1.73;1.42;1.1;0.95;-0.18;44.63;${100 + (j % 17)};110.2;88.4;64.02;1.35;-0.21;0.41;31.2;340;1.73;1.42;1.1;0.95;-0.18;0`;
  const detail = Array.from({ length: 3125 }, (_, j) => piece(j)).join('|');
  const carry = Array.from({ length: 3125 }, () => '-120.50;310.25;2;189.75;-15.00;174.75;22.50;40.00;1;1.25;0.85;0.40').join('|');
  const replies = [
    { match: 'http://127.0.0.1:8080/pages/ScenarioDetail.asp?', reply: detail },
    { match: 'http://127.0.0.1:8080/pages/CarryCalc.asp?', reply: carry },
    { match: 'http://127.0.0.1:8080/pages/', reply: '0' },
  ];
  fs.writeFileSync(path.join(dir, 'replies.json'), JSON.stringify(replies));
  const server = await s.startServer({ properties: path.join(dir, 'props.json'), replies: path.join(dir, 'replies.json') });
  const browser = await s.launch();
  const { page } = browser;
  await page.setViewportSize({ width: 1920, height: 1080 });
  const t0 = Date.now();
  await page.goto(`${server.origin}/?today=${s.TODAY}`, { timeout: 0 });
  await page.waitForFunction(() => window.controlStarted !== undefined, null, { timeout: 0 });
  await page.evaluate(() => window.controlStarted);
  const t1 = Date.now();
  const o0 = Date.now();
  await page.click(s.sel('BtnResults'));
  await page.waitForSelector('zemra-impact-analysis .zemra-view-results .zemra-cell-value');
  await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
  const o1 = Date.now();
  // Scroll the table: 20 steps down and right, each one frame.
  const scroll = await page.evaluate(async () => {
    const host = document.querySelector('zemra-impact-analysis');
    const sc = host.shadowRoot.querySelector('.zemra-table-scroller');
    // The script work of each step: the element draws the table in an
    // animation frame asked for by its scroll listener; a frame callback
    // asked for before the scroll runs just before it, and one asked for by a
    // later scroll listener just after it.
    let start = 0, end = 0;
    sc.addEventListener('scroll', () => requestAnimationFrame(() => { end = performance.now(); }));
    const mean = (list) => list.reduce((x, y) => x + y, 0) / list.length;
    const steps = async (down, right) => {
      const times = [], scripts = [];
      for (let i = 0; i < 20; i++) {
        sc.scrollTop += down; sc.scrollLeft += right;
        start = end = 0;
        await new Promise((r) => requestAnimationFrame(() => { start = performance.now(); r(); }));
        const a = performance.now();
        await new Promise((r) => requestAnimationFrame(r));
        times.push(performance.now() - a);
        scripts.push(end - start);
      }
      return { frameMean: mean(times), frameMax: Math.max(...times), scriptMean: mean(scripts), scriptMax: Math.max(...scripts) };
    };
    // Large steps (a new window each time), then from the top left small
    // ones (two rows and part of a column, as a wheel or a drag moves it).
    const large = await steps(200, 1500);
    sc.scrollTop = 0; sc.scrollLeft = 0;
    await new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)));
    const small = await steps(40, 60);
    return { large, small, cells: sc.querySelectorAll('.zemra-cell').length };
  });
  await s.screenshot(page, 'results-200x3125.png');
  console.log(JSON.stringify({ startupAndUpdateMs: t1 - t0, openMs: o1 - o0, scroll, errors: browser.errors, dialogs: browser.dialogs.map((d) => d.message.slice(0, 200)) }));
  await browser.close();
  await server.close();
  fs.rmSync(dir, { recursive: true, force: true });
})().catch((e) => { console.error(e); process.exit(1); });
