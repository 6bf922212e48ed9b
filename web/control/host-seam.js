// The host seam's page side: what the control asks of the page (showing
// its state, fetching server pages, message boxes, browser windows, the
// pointer, today's date and the locale). A mixin of the element's session.
import { readLocale } from './page-locale.js';

// A server page that has not answered within the time-out fails as a
// request, as in the headless host (--timeout): the element's attribute
// timeout="SECONDS", a whole number from 1 to 86400, else 60 seconds.
const DEFAULT_TIMEOUT_SECONDS = 60;
const LONGEST_TIMEOUT_SECONDS = 86400;

export function fetchTimeoutSeconds(element) {
  const given = (element.getAttribute('timeout') || '').trim();
  if (!/^\d{1,5}$/.test(given)) return DEFAULT_TIMEOUT_SECONDS;
  const seconds = Number(given);
  return seconds >= 1 && seconds <= LONGEST_TIMEOUT_SECONDS ? seconds : DEFAULT_TIMEOUT_SECONDS;
}
// How many of the control's requests, messages and windows the element
// remembers (for troubleshooting in the browser's developer tools).
const LOG_LIMIT = 500;

export const withHostSeam = (Base) => class extends Base {
  _hostObject() {
    return {
      // Inside a call: the module may be about to wait for a fetch.
      render: (json) => {
        this._moduleRendering = true;
        try { this._render(json); } finally { this._moduleRendering = false; }
      },
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
        const given = /^(\d{4})-(\d{2})-(\d{2})$/.exec(this._element.getAttribute('today') || '');
        if (given) return Number(given[1]) * 10000 + Number(given[2]) * 100 + Number(given[3]);
        const d = new Date();
        return d.getFullYear() * 10000 + (d.getMonth() + 1) * 100 + d.getDate();
      },
      locale: () => readLocale(this._element),
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
    const seconds = fetchTimeoutSeconds(this._element);
    const abort = new AbortController();
    // The time-out covers the whole reply, its body included.
    const timer = setTimeout(() => abort.abort(), seconds * 1000);
    try {
      const response = await fetch(url.href, { cache: 'no-store', credentials: 'same-origin', signal: abort.signal });
      const body = await response.text();
      // A page that refuses a request says why in its body: the control
      // reads the status and the body's first line.
      if (!response.ok) return { ...failed(`the server answered ${response.status}${response.statusText ? ' ' + response.statusText : ''}`), status: response.status, body };
      return { ok: true, body };
    } catch (e) {
      if (e && e.name === 'AbortError') return failed(`no answer within ${seconds} second${seconds === 1 ? '' : 's'}`);
      return failed(`the server could not be reached (${e && e.message ? e.message : e})`);
    } finally {
      clearTimeout(timer);
    }
  }

  _setPointer(code) {
    const wait = !!this._constants && code === this._constants.pointerHourglass;
    this._root.classList.toggle('zemra-wait', wait);
    document.documentElement.style.cursor = wait ? 'wait' : '';
  }
};
