// <zemra-impact-analysis>: the scenario impact analyser control in a page.
//
// The control itself is the WebAssembly module (zemra-module.js and .wasm
// beside this file). This script defines the element that hosts it: it reads
// the sixteen properties once, mirrors the control's widget model into the
// element's shadow DOM after every event, and passes the user's actions back
// to the model by element name. Every text is set with textContent or value,
// never as markup.
(function () {
  'use strict';

  const PROPERTY_NAMES = [
    'TunerString', 'CurveOptions', 'CallAdjustment', 'RecordString', 'ScenarioString',
    'QuickSearchPath', 'ScenarioDetailPath', 'GetScenarioPath', 'InsertScenarioPath', 'DelScenarioPath',
    'ModScenarioPath', 'StoredScenarios', 'CapitalRules', 'CapitalCalcPath', 'CarryCalcPath', 'EnableDebug',
  ];
  const PANEL = 'MainCtl';
  const POINTER_HOURGLASS = 11;
  const FETCH_TIMEOUT_MS = 60000;
  const SHIFT = 1, CTRL = 2, ALT = 4;
  // How many of the control's requests, messages and windows the element
  // remembers for its diagnostics.
  const LOG_LIMIT = 500;

  const scriptUrl = (document.currentScript && document.currentScript.src) || document.baseURI;
  const baseUrl = new URL('.', scriptUrl).href;

  // ---- Layout. The model has no positions: these tables place each element
  // in a CSS grid of its frame ([row, column, row span, column span]). An
  // element that no table names is still shown, after the placed ones.
  const LAYOUTS = {
    MainCtl: {
      '': { columns: '940px 314px', cells: { Frame3: [1, 1, 2, 1], Frame1: [1, 2], Frame5: [2, 2] } },
      Frame3: { columns: '488px 1fr', cells: { ScenarioFrame: [1, 1, 1, 2], AssumptionFrame: [2, 1], FrameDetail: [2, 2] } },
      ScenarioFrame: {
        columns: '134px 104px 56px 1fr 96px 92px 92px',
        cells: {
          'CaptionTxtScenario(0)': [1, 1], 'TxtScenario(0)': [1, 2],
          'CaptionTxtScenario(1)': [2, 1], 'TxtScenario(1)': [2, 2],
          'CaptionTxtScenario(2)': [3, 1], 'TxtScenario(2)': [3, 2],
          'CaptionTxtScenario(3)': [4, 1], 'TxtScenario(3)': [4, 2],
          CaptionTxtDate: [5, 1], TxtDate: [5, 2],
          'CaptionTxtScenario(4)': [6, 1], 'TxtScenario(4)': [6, 2],
          CaptionComboTuner: [7, 1], ComboTuner: [7, 2], 'TxtScenario(5)': [7, 3],
          CaptionDescriptionFld: [8, 1], DescriptionFld: [8, 2, 1, 2],
          CaptionComboScenario: [9, 1], ComboScenario: [9, 2, 1, 2],
          CaptionComboAutoLoad: [10, 1], ComboAutoLoad: [10, 2],
          CaptionScenarioLst: [1, 4], CaptionLstImpact: [1, 5],
          ScenarioLst: [2, 4, 7, 1], LstImpact: [2, 5, 7, 1],
          CaptionLabelImpact: [9, 4], LabelImpact: [9, 5, 2, 1],
          ScenarioAddBtn: [1, 6], DeleteBtn: [1, 7],
          BtnModify: [2, 6], BtnUptTuner: [2, 7],
          BtnRetrieve: [3, 6], BtnSave: [3, 7],
          BtnDelScenario: [4, 6], BtnScenMatrix: [4, 7],
          UpdateBtn: [6, 6, 1, 2], CmdDebug: [8, 6, 1, 2],
        },
      },
      AssumptionFrame: {
        columns: '88px 72px 76px 38px 78px 1fr',
        cells: {
          'CaptionTxtAssumptions(0)': [1, 1], 'TxtAssumptions(0)': [1, 2], CaptionTxtDelta: [1, 3], TxtDelta: [1, 4],
          'CaptionTxtAssumptions(5)': [1, 5], 'TxtAssumptions(5)': [1, 6],
          'CaptionTxtAssumptions(1)': [2, 1], 'TxtAssumptions(1)': [2, 2],
          'CaptionTxtAssumptions(6)': [2, 5], 'TxtAssumptions(6)': [2, 6],
          'CaptionTxtAssumptions(2)': [3, 1], 'TxtAssumptions(2)': [3, 2],
          'CaptionTxtAssumptions(7)': [3, 5], 'TxtAssumptions(7)': [3, 6],
          CaptionCallAdjustmentComb: [4, 1], CallAdjustmentComb: [4, 2],
          'CaptionTxtAssumptions(3)': [4, 3], 'TxtAssumptions(3)': [4, 4],
          CaptionCurveComboBox: [4, 5], CurveComboBox: [4, 6],
          'CaptionTxtAssumptions(4)': [5, 1], 'TxtAssumptions(4)': [5, 2],
          'CaptionTxtAssumptions(8)': [5, 3], 'TxtAssumptions(8)': [5, 4],
          'CaptionTxtAssumptions(9)': [5, 5], 'TxtAssumptions(9)': [5, 6],
          CaptionComboDisc: [6, 1], ComboDisc: [6, 2], LabelRatioAdj: [6, 3, 1, 2],
          CaptionComboDivType: [6, 5], ComboDivType: [6, 6],
          CaptionTxtDiscrYrs: [7, 1], TxtDiscrYrs: [7, 2],
          CheckBnkrpcy: [8, 1], ComboRecv: [8, 2, 1, 2], TxtRecvDecVal: [8, 4, 1, 2],
          CaptionLbFxRateToUSD: [9, 1], LbFxRateToUSD: [9, 2],
          BtnCapital: [9, 3, 1, 2], LbCapital: [9, 5, 1, 2],
        },
      },
      FrameDetail: {
        columns: '90px 54px 54px 92px 54px 54px',
        cells: {
          HeaderCurrentLeft: [1, 2], HeaderEstimatedLeft: [1, 3],
          HeaderCurrentRight: [1, 5], HeaderEstimatedRight: [1, 6],
        },
      },
      Frame1: { columns: '1fr', cells: { FrameSecurity: [1, 1], LabelProgress: [2, 1] } },
      FrameSecurity: {
        columns: '1fr 76px 76px',
        cells: { QuickSearchFld: [1, 1], AddBtn: [1, 2], RemoveBtn: [1, 3], LstSecurity: [2, 1, 1, 3] },
      },
      Frame5: { columns: '112px 1fr 1fr', cells: { HeaderTotalsCurrent: [1, 2], HeaderTotalsEstimate: [1, 3] } },
    },
    DlgCarry: {
      '': {
        columns: '120px 84px 20px 120px 84px',
        cells: {
          CaptionTxtFinRate: [1, 1], TxtFinRate: [1, 2], CaptionTxtRebRate: [1, 4], TxtRebRate: [1, 5],
          CaptionTxtTailRate: [2, 1], TxtTailRate: [2, 2], CaptionTxtBrwCost: [2, 4], TxtBrwCost: [2, 5],
          OptFullCarry: [10, 1, 1, 2], OptNetCarry: [10, 4, 1, 2],
          OKButton: [11, 2], CancelButton: [11, 4],
        },
      },
    },
    DlgScenMatrix: {
      '': {
        columns: '84px repeat(5, 90px)',
        cells: {
          'CaptionRow(0)': [2, 1], 'CaptionRow(1)': [3, 1], 'CaptionRow(2)': [4, 1],
          CaptionComboTuner: [5, 1], ComboTuner: [5, 2, 1, 2], TxtTunerVal: [5, 4],
          OKButton: [6, 5], CancelButton: [6, 6],
        },
      },
    },
    DlgCapital: {
      '': {
        columns: '96px 150px',
        cells: {
          LbCapitalRule: [1, 1], ComboCpRule: [1, 2], LbConvRate: [2, 1], TxtConvRate: [2, 2],
          LbStkRate: [3, 1], TxtStkRate: [3, 2], OKButton: [4, 1], CancelButton: [4, 2],
        },
      },
    },
    DlgAddSec: {
      '': { columns: '260px 84px', cells: { SecSelList: [1, 1, 3, 1], AddButton: [1, 2], CloseButton: [2, 2] } },
    },
  };

  // Where each dialog first stands: beside what it belongs to, so that the
  // panel stays usable next to it.
  const DIALOG_PLACES = {
    DlgAddSec: [600, 40],
    DlgScenMatrix: [16, 60],
    DlgCarry: [500, 300],
    DlgCapital: [150, 420],
  };

  // The valuation panel's rows: caption, current and estimated members.
  (function placeValuationRows() {
    const cells = LAYOUTS.MainCtl.FrameDetail.cells;
    const left = [[0, 15], [1, 16], [2, 17], [8, 23], [9, 24], [4, 19], [5, 20], [6, 21], [7, 22], [14, 29]];
    const right = [[3, 18], [10, 25], [11, 26], [12, 27], [13, 28]];
    left.forEach(([cur, est], i) => {
      cells[`CaptionLabelValuation(${cur})`] = [i + 2, 1];
      cells[`LabelValuation(${cur})`] = [i + 2, 2];
      cells[`LabelValuation(${est})`] = [i + 2, 3];
    });
    right.forEach(([cur, est], i) => {
      cells[`CaptionLabelValuation(${cur})`] = [i + 2, 4];
      cells[`LabelValuation(${cur})`] = [i + 2, 5];
      cells[`LabelValuation(${est})`] = [i + 2, 6];
    });
    cells['CaptionLabelValuation(30)'] = [7, 4];
    cells['LabelValuation(30)'] = [7, 5, 1, 2];
    const pairsLeft = ['LbDolDelta', 'LbDolGamma', 'LbDolRho', 'LbDolVega', 'LbDolCSprd01'];
    const pairsRight = ['LbGamShrs', 'LbDolDelShrs', 'LbDelShrs', 'LbEffDelta'];
    pairsLeft.forEach((name, i) => {
      cells[`Caption${name}(0)`] = [i + 12, 1];
      cells[`${name}(0)`] = [i + 12, 2];
      cells[`${name}(1)`] = [i + 12, 3];
    });
    pairsRight.forEach((name, i) => {
      cells[`Caption${name}(0)`] = [i + 8, 4];
      cells[`${name}(0)`] = [i + 8, 5];
      cells[`${name}(1)`] = [i + 8, 6];
    });
    Object.assign(cells, {
      BtnCarry: [13, 4], LbCarry: [13, 5, 1, 2],
      CaptionComboTuner2: [15, 4], ComboTuner2: [16, 4, 1, 2], TxtTunerVal: [16, 6],
    });
    const totals = LAYOUTS.MainCtl.Frame5.cells;
    ['LbDolDeltaTol', 'LbDolGamTol', 'LbDolRhoTol', 'LbDolVegaTol', 'LbDolCSprd01Tot', 'LbGamShrsTot', 'LbDolDelShrsTot']
      .forEach((name, i) => {
        totals[`Caption${name}(0)`] = [i + 2, 1];
        totals[`${name}(0)`] = [i + 2, 2];
        totals[`${name}(1)`] = [i + 2, 3];
      });
    const carry = LAYOUTS.DlgCarry[''].cells;
    for (let k = 0; k < 12; k++) {
      const row = 3 + (k % 6), col = k < 6 ? 1 : 4;
      carry[`CaptionLbCarryVal(${k})`] = [row, col];
      carry[`LbCarryVal(${k})`] = [row, col + 1];
    }
    const matrix = LAYOUTS.DlgScenMatrix[''].cells;
    ['TxtStk', 'TxtVol', 'TxtCrdSprd', 'TxtRate', 'TxtTime'].forEach((name, c) => {
      matrix[`Caption${name}`] = [1, c + 2];
      for (let r = 0; r < 3; r++) matrix[`${name}(${r})`] = [r + 2, c + 2];
    });
  })();

  // ---- Texts: the model's offsets count UTF-8 bytes, the page's count
  // UTF-16 units.
  function byteToIndex(text, bytes) {
    let used = 0, i = 0;
    while (i < text.length && used < bytes) {
      const cp = text.codePointAt(i);
      used += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
      i += cp >= 0x10000 ? 2 : 1;
    }
    return i;
  }

  function pointSize(points) { return `${Math.round(points * 11 / 8 * 10) / 10}px`; }

  // ---- The module: one per page, shared by every element on it.
  let modulePromise = null;
  function loadModule() {
    if (!modulePromise) {
      modulePromise = new Promise((resolve, reject) => {
        const finish = () => {
          // The loader returns a promise of the ready module.
          window.ZemraModule({ locateFile: (file) => baseUrl + file }).then((m) => {
            m.zemraHosts = m.zemraHosts || {};
            resolve(m);
          }, reject);
        };
        if (typeof window.ZemraModule === 'function') { finish(); return; }
        const s = document.createElement('script');
        s.src = baseUrl + 'zemra-module.js';
        s.onload = finish;
        s.onerror = () => reject(new Error(`The control's module ${s.src} could not be loaded.`));
        document.head.appendChild(s);
      });
    }
    return modulePromise;
  }

  // While a call of one element waits for a fetch, the module takes no other
  // call: every element drops the user's input until it has finished.
  const scheduler = {
    busy: false,
    waiting: [],
    // Resolves when no call runs; the host's own calls wait for their turn.
    whenIdle() {
      return this.busy ? new Promise((resolve) => this.waiting.push(resolve)) : Promise.resolve();
    },
    release() {
      this.busy = false;
      const next = this.waiting.shift();
      if (next) next();
    },
  };
  const BLOCKED_EVENTS = ['mousedown', 'mouseup', 'click', 'dblclick', 'keydown', 'keypress', 'keyup',
    'beforeinput', 'input', 'paste', 'cut', 'drop', 'contextmenu'];

  let nextElementId = 1;

  function rgbOrNull(hex) { return typeof hex === 'string' && /^#[0-9A-F]{6}$/i.test(hex) ? hex : ''; }

  function readLocale(element) {
    const holder = element.closest('[lang]');
    const lang = (holder && holder.lang) || navigator.language || 'en-US';
    const result = { decimal: '.', group: ',', dateSeparator: '/', dateOrder: 0, shortDatePattern: 'M/d/yyyy', minus: '-' };
    try {
      const nf = new Intl.NumberFormat(lang, { useGrouping: true });
      for (const p of nf.formatToParts(-12345.6)) {
        if (p.type === 'decimal') result.decimal = p.value;
        else if (p.type === 'group') result.group = p.value.replace(/\s/g, ' ');
        else if (p.type === 'minusSign') result.minus = p.value;
      }
      const df = new Intl.DateTimeFormat(lang, { year: 'numeric', month: 'numeric', day: 'numeric' });
      const parts = df.formatToParts(new Date(2033, 2, 4));
      const order = parts.filter((p) => p.type === 'year' || p.type === 'month' || p.type === 'day').map((p) => p.type);
      result.dateOrder = order[0] === 'day' ? 1 : order[0] === 'year' ? 2 : 0;
      const literal = parts.find((p) => p.type === 'literal');
      if (literal && literal.value.trim().length === 1) result.dateSeparator = literal.value.trim();
      result.shortDatePattern = parts.map((p) => {
        if (p.type === 'year') return p.value.length === 2 ? 'yy' : 'yyyy';
        if (p.type === 'month') return p.value.length === 2 ? 'MM' : 'M';
        if (p.type === 'day') return p.value.length === 2 ? 'dd' : 'd';
        return p.value.replace(/[dMy]/g, '');
      }).join('');
    } catch (e) {
      // An unknown language keeps the defaults.
    }
    return result;
  }

  class ZemraImpactAnalysis extends HTMLElement {
    constructor() {
      super();
      this._given = null;        // properties given from script
      this._ctl = null;
      this._forms = new Map();   // form name -> rendered form
      this._state = null;        // last snapshot
      this._activeForm = PANEL;
      this._appliedSel = new Map();
      this._skipSelection = false;
      this._userActed = false;
      this._rendering = false;
      this._popup = null;
      this._dialogOrder = 0;
      this._log = { messages: [], requests: [], browserWindows: [] };
      this._shadow = this.attachShadow({ mode: 'open' });
      const sheet = document.createElement('link');
      sheet.rel = 'stylesheet';
      sheet.href = baseUrl + 'zemra-impact-analysis.css';
      this._root = document.createElement('div');
      this._root.className = 'zemra-root';
      this._shadow.append(sheet, this._root);
      this._ready = new Promise((resolve, reject) => { this._resolveReady = resolve; this._rejectReady = reject; });
      this._ready.catch(() => {});
      this._wireEvents();
    }

    // Properties from script: an object of the sixteen texts, read once
    // when the element loads (in place of its <param> children).
    set properties(values) {
      if (this._ctl) return;
      this._given = Object.assign({}, values || {});
    }
    get properties() { return Object.assign({}, this._given || {}); }

    connectedCallback() {
      if (this._started) return;
      this._started = true;
      const start = () => this._load().then(this._resolveReady, (e) => { this._showLoadFailure(e); this._rejectReady(e); });
      // Parsed from the page: the <param> children follow the start tag.
      if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start, { once: true });
      else start();
    }

    // The control's one public method. Returns a promise that settles when
    // the start-up (with its first impact run) has finished.
    ProcessInitData() {
      const call = async () => {
        await this._ready;
        // The page's call waits for a request of another element to end.
        while (scheduler.busy) await scheduler.whenIdle();
        await this._run(() => this._ctl.processInitData(), false);
      };
      return call();
    }

    // A read-only view for tests and troubleshooting: the state last shown
    // (the module itself takes no call while a request runs) and what the
    // control asked of the page.
    static diagnostics(element) {
      return {
        state: element._state ? JSON.parse(JSON.stringify(element._state)) : null,
        log: JSON.parse(JSON.stringify(element._log)),
        busy: scheduler.busy,
      };
    }

    // ---- Loading.
    _readProperties() {
      const values = {};
      if (this._given) {
        for (const name of PROPERTY_NAMES) if (this._given[name] !== undefined && this._given[name] !== null) values[name] = String(this._given[name]);
        return values;
      }
      for (const param of this.querySelectorAll(':scope > param')) {
        const name = param.getAttribute('name');
        if (PROPERTY_NAMES.includes(name) && !(name in values)) values[name] = param.getAttribute('value') || '';
      }
      return values;
    }

    async _load() {
      const values = this._readProperties();
      const module = await loadModule();
      // The module takes no call while another element's request runs.
      while (scheduler.busy) await scheduler.whenIdle();
      this._id = nextElementId++;
      module.zemraHosts[this._id] = this._hostObject();
      this._ctl = new module.WebControl(this._id);
      for (const [name, value] of Object.entries(values)) this._ctl.setProperty(name, value);
      this._ctl.load();
      this._render(this._ctl.snapshot());
    }

    _showLoadFailure(error) {
      const box = document.createElement('div');
      box.className = 'zemra-failure';
      box.textContent = this._ctl
        ? `The control cannot go on: ${error && error.message ? error.message : error}.`
        : `The control could not start: ${error && error.message ? error.message : error}`;
      this._root.replaceChildren(box);
    }

    // ---- The host seam's page side.
    _hostObject() {
      return {
        render: (json) => this._render(json),
        fetch: (address) => this._fetch(address),
        message: (text, yesNo) => {
          let answer = true;
          if (yesNo) answer = window.confirm(text);
          else window.alert(text);
          this._remember('messages', { text, buttons: yesNo ? 'yesno' : 'ok', answer: yesNo ? (answer ? 'yes' : 'no') : 'ok' });
          return answer;
        },
        openWindow: (address) => {
          this._remember('browserWindows', address);
          window.open(address, '_blank', 'noopener');
        },
        setPointer: (code) => this._setPointer(code),
        today: () => {
          const given = /^(\d{4})-(\d{2})-(\d{2})$/.exec(this.getAttribute('today') || '');
          if (given) return Number(given[1]) * 10000 + Number(given[2]) * 100 + Number(given[3]);
          const d = new Date();
          return d.getFullYear() * 10000 + (d.getMonth() + 1) * 100 + d.getDate();
        },
        locale: () => readLocale(this),
      };
    }

    _remember(list, entry) {
      const log = this._log[list];
      log.push(entry);
      if (log.length > LOG_LIMIT) log.splice(0, log.length - LOG_LIMIT);
    }

    async _fetch(address) {
      this._remember('requests', address);
      const failed = (cause) => ({ ok: false, error: `The request to ${address} failed: ${cause}.` });
      let url;
      try {
        // An address without a page (only a query) names no server page.
        if (address.trim() === '' || address.startsWith('?')) return failed('the address names no server page');
        url = new URL(address, document.baseURI);
      } catch (e) {
        return failed('it is not a valid address');
      }
      const abort = new AbortController();
      const timer = setTimeout(() => abort.abort(), FETCH_TIMEOUT_MS);
      try {
        const response = await fetch(url.href, { cache: 'no-store', credentials: 'same-origin', signal: abort.signal });
        const body = await response.text();
        if (!response.ok) return failed(`the server answered ${response.status}${response.statusText ? ' ' + response.statusText : ''}`);
        return { ok: true, body };
      } catch (e) {
        if (e && e.name === 'AbortError') return failed(`no answer within ${FETCH_TIMEOUT_MS / 1000} seconds`);
        return failed(`the server could not be reached (${e && e.message ? e.message : e})`);
      } finally {
        clearTimeout(timer);
      }
    }

    _setPointer(code) {
      const wait = code === POINTER_HOURGLASS;
      this._root.classList.toggle('zemra-wait', wait);
      document.documentElement.style.cursor = wait ? 'wait' : '';
    }

    // ---- Running the control's calls. A call that waits for a fetch returns
    // a promise; until it settles no other input reaches the module.
    _run(call, fromUser) {
      if (scheduler.busy || !this._ctl || this._stoppedWith) return Promise.resolve(false);
      if (fromUser) this._userActed = true;
      scheduler.busy = true;
      this._root.classList.add('zemra-busy');
      const finish = () => {
        this._root.classList.remove('zemra-busy');
        try {
          if (!this._stoppedWith) this._render(this._ctl.snapshot());
        } catch (e) {
          this._stop(e);
        } finally {
          scheduler.release();
        }
      };
      const failed = (e) => {
        this._stop(e);
        finish();
        return false;
      };
      let result;
      try {
        result = call();
      } catch (e) {
        return failed(e);
      }
      if (result && typeof result.then === 'function') {
        return result.then((value) => { finish(); return value; }, failed);
      }
      finish();
      return result;
    }

    // The control reports its own failures; what reaches here stopped the
    // module itself, which takes no further call.
    _stop(error) {
      if (this._stoppedWith) return;
      this._stoppedWith = error;
      this._setPointer(0);
      this._closePopup();
      this._showLoadFailure(new Error(`the control stopped after an internal failure (${error && error.message ? error.message : error})`));
    }

    _act(form, name, action, n = 0, flags = 0, text = '') {
      this._activeForm = form;
      return this._run(() => this._ctl.act(form, name, action, n, flags, text), true);
    }

    // ---- Events: the browser's intents become the model's user actions.
    _wireEvents() {
      const root = this._root;
      for (const type of BLOCKED_EVENTS) {
        root.addEventListener(type, (e) => {
          if (!scheduler.busy) return;
          e.preventDefault();
          e.stopImmediatePropagation();
        }, true);
      }
      root.addEventListener('mousedown', (e) => this._onMouseDown(e));
      root.addEventListener('click', (e) => this._onClick(e));
      root.addEventListener('dblclick', (e) => this._onDblClick(e));
      root.addEventListener('keydown', (e) => this._onKeyDown(e));
      root.addEventListener('input', (e) => this._onInput(e));
      root.addEventListener('focusin', (e) => this._onFocusIn(e));
    }

    _widgetOf(target) {
      for (let el = target; el && el !== this._root; el = el.parentElement) {
        if (el.dataset && el.dataset.widget !== undefined) {
          const form = this._forms.get(el.dataset.form);
          const entry = form && form.widgets.get(el.dataset.widget);
          if (entry) return { form: el.dataset.form, name: el.dataset.widget, entry, node: el };
        }
      }
      return null;
    }

    _flags(e) { return (e.shiftKey ? SHIFT : 0) | (e.ctrlKey || e.metaKey ? CTRL : 0) | (e.altKey ? ALT : 0); }

    _onMouseDown(e) {
      if (e.button !== 0) return;
      const popupEntry = e.target.closest && e.target.closest('.zemra-popup-entry');
      if (popupEntry) {
        e.preventDefault();
        const popup = this._popup;
        this._closePopup();
        if (popup) this._act(popup.form, popup.name, 'pick', Number(popupEntry.dataset.entry));
        return;
      }
      let closedPopupOf = null;
      if (this._popup && !(e.target.closest && e.target.closest('.zemra-popup'))) {
        closedPopupOf = `${this._popup.form}.${this._popup.name}`;
        this._closePopup();
      }
      const dialog = e.target.closest && e.target.closest('.zemra-dialog');
      if (dialog) dialog.style.zIndex = String(++this._dialogOrder + 10);
      if (e.target.closest && e.target.closest('.zemra-dialog-title')) return;
      const hit = this._widgetOf(e.target);
      if (!hit) return;
      const { form, name, entry } = hit;
      const kind = entry.kind;
      const formState = this._formState(form);
      const hasFocus = formState && formState.focus === name && this._activeForm === form;
      if (kind === 'textbox') {
        // Inside the focused field the caret goes where the user clicks.
        if (hasFocus) return;
        e.preventDefault();
        this._act(form, name, 'focus');
      } else if (kind === 'listbox') {
        e.preventDefault();
        const rowNode = e.target.closest('.zemra-row');
        if (rowNode) this._act(form, name, 'select', Number(rowNode.dataset.row), this._flags(e));
        else this._act(form, name, 'focus');
      } else if (kind === 'combobox') {
        e.preventDefault();
        // A click on the drop-down whose list is open closes the list.
        if (closedPopupOf === `${form}.${name}`) return;
        const reached = this._act(form, name, 'focus');
        const open = () => {
          const now = this._formState(form);
          if (now && now.focus === name) this._openPopup(form, name);
        };
        if (reached && typeof reached.then === 'function') reached.then(open);
        else open();
      } else if (kind === 'button' || kind === 'checkbox' || kind === 'option') {
        // The click follows; the focus moves with it, through the model.
        e.preventDefault();
      } else if (kind === 'label' || kind === 'frame') {
        e.preventDefault();
      }
    }

    _onClick(e) {
      const hit = this._widgetOf(e.target);
      if (!hit) return;
      const kind = hit.entry.kind;
      if (kind === 'button' || kind === 'checkbox' || kind === 'option') {
        e.preventDefault();
        this._act(hit.form, hit.name, 'click');
      }
    }

    _onDblClick(e) {
      const hit = this._widgetOf(e.target);
      if (!hit || hit.entry.kind !== 'listbox') return;
      const rowNode = e.target.closest('.zemra-row');
      if (rowNode) this._act(hit.form, hit.name, 'dblclick', Number(rowNode.dataset.row));
    }

    _onInput(e) {
      const hit = this._widgetOf(e.target);
      if (!hit || hit.entry.kind !== 'textbox') return;
      this._skipSelection = true;
      this._act(hit.form, hit.name, 'type', 0, 0, e.target.value);
    }

    _onFocusIn(e) {
      if (this._rendering || scheduler.busy) return;
      const hit = this._widgetOf(e.target);
      if (!hit) return;
      const formState = this._formState(hit.form);
      if (formState && formState.focus === hit.name && this._activeForm === hit.form) return;
      // The browser moved the focus by itself (a script, the keyboard): the
      // model decides, and the page follows the model.
      this._act(hit.form, hit.name, 'focus');
    }

    _onKeyDown(e) {
      if (this._popup) { this._popupKey(e); return; }
      if (['Shift', 'Control', 'Alt', 'Meta'].includes(e.key)) return;
      const hit = this._widgetOf(e.target);
      if (e.key === 'Tab') {
        e.preventDefault();
        this._tabFrom(hit ? hit.form : this._activeForm, hit ? hit.name : null, e.shiftKey);
        return;
      }
      if (!hit) return;
      const { form, name, entry } = hit;
      const before = this._formState(form);
      const focusBefore = before && before.focus;
      const result = this._act(form, name, 'key', e.keyCode, this._flags(e));
      if (result && typeof result.then === 'function') {
        // The key started a request: its own effect in the element is
        // dropped with the rest of the input while the request runs.
        e.preventDefault();
        return;
      }
      const after = this._formState(form);
      if (!after || after.focus !== focusBefore || this._activeForm !== form) {
        // The control moved the focus: the key has done its work.
        e.preventDefault();
        return;
      }
      const widget = this._widgetState(form, name);
      if (!widget || after.focus !== name) return;
      if (entry.kind === 'listbox' && (e.key === 'ArrowDown' || e.key === 'ArrowUp')) {
        e.preventDefault();
        const row = Math.max(0, Math.min(widget.rows.length - 1, widget.listIndex + (e.key === 'ArrowDown' ? 1 : -1)));
        if (widget.rows.length > 0 && row !== widget.listIndex) this._act(form, name, 'select', row, this._flags(e) & SHIFT);
      } else if (entry.kind === 'combobox' && ((e.altKey && e.key === 'ArrowDown') || e.key === 'F4')) {
        e.preventDefault();
        this._openPopup(form, name);
      } else if ((entry.kind === 'combobox' || entry.kind === 'option') && e.key.startsWith('Arrow')) {
        // Neither changes by the arrow keys of the browser's own controls.
        e.preventDefault();
      }
    }

    _tabFrom(form, name, backwards) {
      const state = this._formState(form);
      if (!state) return;
      const focusable = state.widgets
        .map((w, i) => ({ w, order: w.tabIndex >= 0 ? w.tabIndex : 100000 + i }))
        .filter(({ w }) => w.enabled && w.visible && !['label', 'frame'].includes(w.kind))
        .sort((a, b) => a.order - b.order)
        .map(({ w }) => w.name);
      if (focusable.length === 0) return;
      const from = focusable.indexOf(name || state.focus);
      let next;
      if (from < 0) next = backwards ? focusable.length - 1 : 0;
      else next = (from + (backwards ? -1 : 1) + focusable.length) % focusable.length;
      this._act(form, focusable[next], 'focus');
    }

    // ---- Drop-down lists: the only way to change a drop-down is to pick
    // an entry from its open list.
    _openPopup(form, name) {
      this._closePopup();
      const widget = this._widgetState(form, name);
      const rendered = this._forms.get(form);
      const entry = rendered && rendered.widgets.get(name);
      if (!widget || !entry || !widget.enabled) return;
      const popup = document.createElement('div');
      popup.className = 'zemra-popup';
      popup.setAttribute('role', 'listbox');
      widget.rows.forEach((text, i) => {
        const row = document.createElement('div');
        row.className = 'zemra-popup-entry';
        row.dataset.entry = String(i);
        row.textContent = text;
        if (i === widget.listIndex) row.classList.add('zemra-current');
        popup.appendChild(row);
      });
      const box = entry.node.getBoundingClientRect();
      const rootBox = this._root.getBoundingClientRect();
      popup.style.left = `${box.left - rootBox.left}px`;
      popup.style.top = `${box.bottom - rootBox.top}px`;
      popup.style.minWidth = `${box.width}px`;
      this._root.appendChild(popup);
      this._popup = { form, name, node: popup, highlight: widget.listIndex };
    }

    _closePopup() {
      if (!this._popup) return;
      this._popup.node.remove();
      this._popup = null;
    }

    _popupKey(e) {
      const popup = this._popup;
      const rows = [...popup.node.children];
      e.preventDefault();
      if (e.key === 'Escape' || e.key === 'Tab') { this._closePopup(); return; }
      if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
        const step = e.key === 'ArrowDown' ? 1 : -1;
        popup.highlight = Math.max(0, Math.min(rows.length - 1, (popup.highlight < 0 ? -step : popup.highlight) + step));
        rows.forEach((r, i) => r.classList.toggle('zemra-current', i === popup.highlight));
        return;
      }
      if (e.key === 'Enter' && popup.highlight >= 0 && popup.highlight < rows.length) {
        this._closePopup();
        this._act(popup.form, popup.name, 'pick', popup.highlight);
      }
    }

    // ---- Rendering: the whole model after every event.
    _formState(name) {
      if (!this._state) return null;
      return this._state.forms.find((f) => f.name === name) || null;
    }

    _widgetState(form, name) {
      const f = this._formState(form);
      return f ? f.widgets.find((w) => w.name === name) || null : null;
    }

    _render(json) {
      const state = JSON.parse(json);
      this._rendering = true;
      try {
        this._state = state;
        this._setPointer(state.pointer);
        const open = new Set();
        for (const form of state.forms) {
          open.add(form.name);
          let rendered = this._forms.get(form.name);
          if (rendered && rendered.instance !== form.instance) {
            rendered.node.remove();
            this._forms.delete(form.name);
            rendered = null;
          }
          if (!rendered) {
            rendered = this._buildForm(form);
            this._forms.set(form.name, rendered);
            // A dialog that has just opened is where the user works now.
            if (form.dialog) this._activeForm = form.name;
          }
          this._updateForm(rendered, form);
        }
        for (const [name, rendered] of [...this._forms]) {
          if (open.has(name)) continue;
          rendered.node.remove();
          this._forms.delete(name);
          if (this._activeForm === name) this._activeForm = PANEL;
        }
        if (this._popup) {
          const w = this._widgetState(this._popup.form, this._popup.name);
          const owner = this._formState(this._popup.form);
          if (!w || !w.enabled || !w.visible || owner.focus !== w.name) this._closePopup();
        }
        const modal = state.forms.some((f) => f.dialog && f.modal);
        this._root.classList.toggle('zemra-modal-open', modal);
        this._applyFocus();
      } finally {
        this._rendering = false;
        this._skipSelection = false;
      }
    }

    _buildForm(form) {
      const rendered = { name: form.name, instance: form.instance, widgets: new Map(), containers: new Map(), last: new Map() };
      let node, body;
      if (form.dialog) {
        node = document.createElement('div');
        node.className = 'zemra-dialog';
        node.dataset.dialog = form.name;
        node.setAttribute('role', 'dialog');
        node.tabIndex = -1;
        const title = document.createElement('div');
        title.className = 'zemra-dialog-title';
        const caption = document.createElement('span');
        caption.className = 'zemra-dialog-caption';
        const close = document.createElement('button');
        close.type = 'button';
        close.className = 'zemra-dialog-close';
        close.title = 'Close';
        close.textContent = '\u00d7';
        close.addEventListener('click', (e) => { e.preventDefault(); this._act(form.name, '', 'close'); });
        title.append(caption, close);
        this._makeDraggable(node, title);
        body = document.createElement('div');
        body.className = 'zemra-dialog-body';
        node.append(title, body);
        rendered.caption = caption;
        const place = DIALOG_PLACES[form.name] || [200 + 24 * (this._forms.size % 5), 40 + 24 * (this._forms.size % 5)];
        node.style.left = `${place[0]}px`;
        node.style.top = `${place[1]}px`;
        node.style.zIndex = String(++this._dialogOrder + 10);
      } else {
        node = document.createElement('div');
        node.className = 'zemra-panel';
        body = node;
      }
      node.dataset.form = form.name;
      const layouts = LAYOUTS[form.name] || {};
      const container = (frameName) => {
        if (rendered.containers.has(frameName)) return rendered.containers.get(frameName);
        const grid = frameName === '' ? body : rendered.widgets.get(frameName).body;
        grid.classList.add('zemra-grid');
        const layout = layouts[frameName];
        if (layout) grid.style.gridTemplateColumns = layout.columns;
        else grid.classList.add('zemra-auto');
        const c = { grid, layout, extra: null };
        rendered.containers.set(frameName, c);
        return c;
      };
      let autoRow = 0;
      for (const w of form.widgets) {
        const entry = this._createWidget(form.name, w);
        rendered.widgets.set(w.name, entry);
        const c = container(w.parent || '');
        const cell = c.layout && c.layout.cells[w.name];
        if (cell) {
          const [row, col, rowSpan = 1, colSpan = 1] = cell;
          entry.node.style.gridRow = `${row} / span ${rowSpan}`;
          entry.node.style.gridColumn = `${col} / span ${colSpan}`;
          c.grid.appendChild(entry.node);
        } else if (c.layout) {
          if (!c.extra) {
            c.extra = document.createElement('div');
            c.extra.className = 'zemra-extra';
            c.extra.style.gridColumn = '1 / -1';
          }
          c.extra.appendChild(entry.node);
        } else {
          // No layout for this form: a caption label and its element share
          // a row; everything else takes a row of its own.
          const pairedCaption = w.kind === 'label' && w.name.startsWith('Caption');
          entry.node.style.gridColumn = pairedCaption ? '1' : (c.lastWasCaption ? '2' : '1 / -1');
          if (pairedCaption || !c.lastWasCaption) autoRow++;
          entry.node.style.gridRow = String(autoRow);
          c.lastWasCaption = pairedCaption;
          c.grid.appendChild(entry.node);
        }
      }
      for (const c of rendered.containers.values()) if (c.extra) c.grid.appendChild(c.extra);
      this._root.appendChild(node);
      rendered.node = node;
      return rendered;
    }

    _makeDraggable(dialog, handle) {
      handle.addEventListener('mousedown', (e) => {
        if (e.button !== 0 || e.target.closest('.zemra-dialog-close')) return;
        e.preventDefault();
        const startX = e.clientX, startY = e.clientY;
        const left = dialog.offsetLeft, top = dialog.offsetTop;
        const move = (m) => {
          dialog.style.left = `${Math.max(0, left + m.clientX - startX)}px`;
          dialog.style.top = `${Math.max(0, top + m.clientY - startY)}px`;
        };
        const up = () => { window.removeEventListener('mousemove', move); window.removeEventListener('mouseup', up); };
        window.addEventListener('mousemove', move);
        window.addEventListener('mouseup', up);
      });
    }

    _createWidget(formName, w) {
      const entry = { kind: w.kind, node: null, focus: null };
      const tag = (el) => { el.dataset.form = formName; el.dataset.widget = w.name; return el; };
      switch (w.kind) {
        case 'label': {
          entry.node = document.createElement('div');
          entry.node.className = 'zemra-label';
          if (/^(Caption|Header)/.test(w.name)) entry.node.classList.add('zemra-caption');
          if (/^Header/.test(w.name)) entry.node.classList.add('zemra-header');
          break;
        }
        case 'textbox': {
          const input = document.createElement('input');
          input.type = 'text';
          input.className = 'zemra-text';
          input.spellcheck = false;
          input.autocomplete = 'off';
          entry.node = input;
          entry.focus = input;
          break;
        }
        case 'listbox': {
          const list = document.createElement('div');
          list.className = 'zemra-list';
          list.tabIndex = 0;
          list.setAttribute('role', 'listbox');
          entry.node = list;
          entry.focus = list;
          entry.rowsKey = null;
          break;
        }
        case 'combobox': {
          const combo = document.createElement('div');
          combo.className = 'zemra-combo';
          combo.tabIndex = 0;
          combo.setAttribute('role', 'combobox');
          const text = document.createElement('span');
          text.className = 'zemra-combo-text';
          const arrow = document.createElement('span');
          arrow.className = 'zemra-combo-arrow';
          arrow.textContent = '\u25be';
          combo.append(text, arrow);
          entry.node = combo;
          entry.focus = combo;
          entry.text = text;
          break;
        }
        case 'checkbox':
        case 'option': {
          const holder = document.createElement('div');
          holder.className = w.kind === 'checkbox' ? 'zemra-check' : 'zemra-option';
          const input = document.createElement('input');
          input.type = w.kind === 'checkbox' ? 'checkbox' : 'radio';
          if (w.kind === 'option') input.name = `${formName}.${w.group || ''}`;
          const caption = document.createElement('span');
          holder.append(input, caption);
          entry.node = holder;
          entry.focus = input;
          entry.input = input;
          entry.caption = caption;
          tag(input);
          break;
        }
        case 'frame': {
          const fieldset = document.createElement('fieldset');
          fieldset.className = 'zemra-frame';
          const legend = document.createElement('legend');
          const body = document.createElement('div');
          body.className = 'zemra-frame-body';
          fieldset.append(legend, body);
          entry.node = fieldset;
          entry.legend = legend;
          entry.body = body;
          break;
        }
        case 'button': {
          const button = document.createElement('button');
          button.type = 'button';
          button.className = 'zemra-button';
          entry.node = button;
          entry.focus = button;
          break;
        }
        default: {
          entry.node = document.createElement('div');
          entry.node.className = 'zemra-unknown';
        }
      }
      tag(entry.node);
      entry.node.classList.add('zemra-w');
      entry.node.dataset.name = w.name;
      return entry;
    }

    _updateForm(rendered, form) {
      if (rendered.caption) rendered.caption.textContent = form.caption;
      rendered.node.classList.toggle('zemra-dialog-modal', !!form.modal);
      for (const w of form.widgets) {
        const entry = rendered.widgets.get(w.name);
        if (!entry) continue;
        const key = JSON.stringify(w);
        if (rendered.last.get(w.name) === key) continue;
        rendered.last.set(w.name, key);
        this._updateWidget(entry, w);
      }
    }

    _updateWidget(entry, w) {
      const node = entry.node;
      node.style.visibility = w.visible ? '' : 'hidden';
      node.classList.toggle('zemra-disabled', !w.enabled);
      node.title = w.toolTip || '';
      const fore = rgbOrNull(w.foreColor), back = rgbOrNull(w.backColor);
      switch (w.kind) {
        case 'label':
          node.textContent = w.caption;
          node.style.color = fore;
          node.style.backgroundColor = back;
          node.style.fontWeight = w.bold ? 'bold' : '';
          node.style.fontSize = w.fontSize && w.fontSize !== 8 ? pointSize(w.fontSize) : '';
          break;
        case 'textbox':
          if (node.value !== w.text) node.value = w.text;
          node.readOnly = !!w.locked;
          node.disabled = !w.enabled;
          node.style.color = fore;
          node.style.backgroundColor = back;
          break;
        case 'listbox': {
          const rowsKey = JSON.stringify(w.rows);
          if (entry.rowsKey !== rowsKey) {
            entry.rowsKey = rowsKey;
            node.replaceChildren(...w.rows.map((text, i) => {
              const row = document.createElement('div');
              row.className = 'zemra-row';
              row.dataset.row = String(i);
              row.setAttribute('role', 'option');
              row.textContent = text === '' ? '\u00a0' : text;
              return row;
            }));
          }
          [...node.children].forEach((row, i) => {
            row.classList.toggle('zemra-selected', !!w.selected[i]);
            row.classList.toggle('zemra-current', i === w.listIndex);
            row.setAttribute('aria-selected', w.selected[i] ? 'true' : 'false');
          });
          if (w.listIndex >= 0 && node.children[w.listIndex]) {
            const row = node.children[w.listIndex];
            if (row.offsetTop < node.scrollTop) node.scrollTop = row.offsetTop;
            else if (row.offsetTop + row.offsetHeight > node.scrollTop + node.clientHeight) node.scrollTop = row.offsetTop + row.offsetHeight - node.clientHeight;
          }
          node.setAttribute('aria-multiselectable', w.multiSelect ? 'true' : 'false');
          node.setAttribute('aria-disabled', w.enabled ? 'false' : 'true');
          node.tabIndex = w.enabled ? 0 : -1;
          node.style.color = fore;
          node.style.backgroundColor = back;
          break;
        }
        case 'combobox':
          entry.text.textContent = w.text;
          node.classList.toggle('zemra-locked', !!w.locked);
          node.setAttribute('aria-disabled', w.enabled ? 'false' : 'true');
          node.tabIndex = w.enabled ? 0 : -1;
          node.style.color = fore;
          node.style.backgroundColor = back;
          break;
        case 'checkbox':
        case 'option':
          entry.caption.textContent = w.caption;
          entry.input.checked = w.kind === 'checkbox' ? w.value === 1 : !!w.value;
          entry.input.disabled = !w.enabled;
          node.style.color = fore;
          node.style.backgroundColor = back;
          break;
        case 'frame':
          entry.legend.textContent = w.caption;
          entry.legend.hidden = w.caption === '';
          node.classList.toggle('zemra-captionless', w.caption === '');
          node.style.backgroundColor = back;
          break;
        case 'button':
          node.textContent = w.caption;
          node.disabled = !w.enabled;
          node.style.color = fore;
          node.style.backgroundColor = back;
          break;
        default:
          break;
      }
    }

    // The page's focus follows the model's: the focused element of the form
    // the user works in. Entering a text field shows the model's selection.
    _applyFocus() {
      const inside = this._shadow.activeElement !== null;
      if (!inside && !this._userActed) return;
      const form = this._formState(this._activeForm);
      const rendered = this._forms.get(this._activeForm);
      if (!form || !rendered) return;
      if (!form.focus) {
        // A dialog without a focused element takes the keyboard itself.
        if (form.dialog && !rendered.node.contains(this._shadow.activeElement)) rendered.node.focus({ preventScroll: true });
        return;
      }
      const entry = rendered.widgets.get(form.focus);
      const widget = form.widgets.find((w) => w.name === form.focus);
      if (!entry || !entry.focus || !widget) return;
      let entered = false;
      if (this._shadow.activeElement !== entry.focus) {
        entry.focus.focus({ preventScroll: false });
        entered = this._shadow.activeElement === entry.focus;
      }
      if (widget.kind !== 'textbox' || this._shadow.activeElement !== entry.focus) return;
      const selKey = `${this._activeForm}.${widget.name}`;
      const wanted = JSON.stringify([widget.text, widget.selStart, widget.selLength]);
      if (!entered && (this._skipSelection || this._appliedSel.get(selKey) === wanted)) {
        this._appliedSel.set(selKey, wanted);
        return;
      }
      this._appliedSel.set(selKey, wanted);
      const start = byteToIndex(widget.text, widget.selStart);
      const end = byteToIndex(widget.text, widget.selStart + widget.selLength);
      try {
        entry.focus.setSelectionRange(start, end);
      } catch (e) {
        // Not every input type has a selection.
      }
    }
  }

  if (!customElements.get('zemra-impact-analysis')) customElements.define('zemra-impact-analysis', ZemraImpactAnalysis);
})();
