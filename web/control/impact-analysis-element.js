// The element that hosts the control: it reads the sixteen properties once,
// loads the control and starts it when the page asks. A host page sees only
// `ProcessInitData()` and `properties`: the element's session (the control,
// its state and its log) sits in a private field.
import { ControlSession } from './control-session.js';

// Each element's session, for the browser tests' look inside (see
// sessionDiagnostics); nothing else reads it.
const sessions = new WeakMap();

const copyOf = (value) => (value === null || value === undefined ? null : JSON.parse(JSON.stringify(value)));

// A copy of what an element last showed and what its control asked of the
// page; the element itself is not reachable from it.
export function sessionDiagnostics(element) {
  const session = sessions.get(element);
  return session ? { state: copyOf(session._state), log: copyOf(session._log) } : null;
}

export class ZemraImpactAnalysis extends HTMLElement {
  #session;

  constructor() {
    super();
    this.#session = new ControlSession(this);
    sessions.set(this, this.#session);
    // Properties a page gave before this module defined the element sit on
    // the element itself; they go through the setter like any others.
    if (Object.prototype.hasOwnProperty.call(this, 'properties')) {
      const given = this.properties;
      delete this.properties;
      this.properties = given;
    }
  }

  // Properties from script: an object of the sixteen texts, read once
  // when the element loads (in place of its <param> children).
  set properties(values) { this.#session.give(values); }
  get properties() { return this.#session.given(); }

  connectedCallback() { this.#session.start(); }

  // The control's one public method. Returns a promise that settles when
  // the start-up (with its first impact run) has finished.
  ProcessInitData() { return this.#session.processInitData(); }
}
