// One element's session with the control: the state the element keeps, the
// loading of the control and the start-up call. It lives only inside the
// element's module, so a host page reaches none of it.
import { controlFolder, loadModule } from './module-loader.js';
import { scheduler, withCallRunning } from './call-scheduler.js';
import { withHostSeam } from './host-seam.js';
import { withFormRendering } from './form-rendering.js';
import { withFocusFollowing } from './focus-following.js';
import { withDropDownLists } from './drop-down-lists.js';
import { withEventRouting } from './event-routing.js';
import { withDataViews } from './data-views.js';
import { withPanelFitting } from './panel-fitting.js';

let nextElementId = 1;

// The state the session's jobs share; the element's shadow root holds what
// the user sees.
class SessionState {
  constructor(element) {
    this._element = element;
    this._given = null;        // properties given from script
    this._ctl = null;
    this._forms = new Map();   // form name -> rendered form
    this._state = null;        // last snapshot
    this._constants = null;    // what the module tells: property names, pointer codes
    this._mainForm = null;     // the model's main form, by name
    this._activeForm = null;   // the form the user works in
    this._appliedSel = new Map();
    this._skipSelection = false;
    this._userActed = false;
    this._rendering = false;
    this._popup = null;
    this._dialogOrder = 0;
    this._started = false;
    this._log = { messages: [], requests: [], browserWindows: [] };
    this._shadow = element.attachShadow({ mode: 'open' });
    const sheet = document.createElement('link');
    sheet.rel = 'stylesheet';
    sheet.href = controlFolder + 'zemra-impact-analysis.css';
    this._root = document.createElement('div');
    this._root.className = 'zemra-root';
    this._shadow.append(sheet, this._root);
    this._ready = new Promise((resolve, reject) => { this._resolveReady = resolve; this._rejectReady = reject; });
    this._ready.catch(() => {});
  }
}

// The session's other jobs, each in a file of its own.
const SessionBase = [withHostSeam, withCallRunning, withFormRendering, withFocusFollowing, withDropDownLists, withEventRouting,
  withDataViews, withPanelFitting]
  .reduce((base, mixin) => mixin(base), SessionState);

export class ControlSession extends SessionBase {
  constructor(element) {
    super(element);
    this._wireEvents();
  }

  // Properties from script are taken until the control has loaded.
  give(values) {
    if (this._ctl) return;
    this._given = Object.assign({}, values || {});
  }

  given() { return Object.assign({}, this._given || {}); }

  start() {
    if (this._started) return;
    this._started = true;
    const start = () => this._load().then(this._resolveReady, (e) => { this._showLoadFailure(e); this._rejectReady(e); });
    // Parsed from the page: the <param> children follow the start tag.
    if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start, { once: true });
    else start();
  }

  async processInitData() {
    await this._ready;
    // The page's call waits for a request of another element to end.
    while (scheduler.busy) await scheduler.whenIdle();
    await this._run(() => this._ctl.processInitData(), false);
  }

  // Loading: the texts given, by name (the first <param> of a name wins);
  // the control's own property names choose among them.
  _readProperties() {
    const values = {};
    if (this._given) {
      for (const [name, value] of Object.entries(this._given)) if (value !== undefined && value !== null) values[name] = String(value);
      return values;
    }
    for (const param of this._element.querySelectorAll(':scope > param')) {
      const name = param.getAttribute('name');
      if (name !== null && !(name in values)) values[name] = param.getAttribute('value') || '';
    }
    return values;
  }

  async _load() {
    const given = this._readProperties();
    const module = await loadModule();
    this._constants = JSON.parse(module.controlConstants());
    const values = this._constants.propertyNames.filter((name) => name in given).map((name) => [name, given[name]]);
    // The module takes no call while another element's request runs.
    while (scheduler.busy) await scheduler.whenIdle();
    this._id = nextElementId++;
    module.zemraHosts[this._id] = this._hostObject();
    this._ctl = new module.WebControl(this._id);
    for (const [name, value] of values) this._ctl.setProperty(name, value);
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
}
