// The one WebAssembly module serves every element of the page, one call at a
// time; the element runs each of its calls to the control through here.

// While a call of one element waits for a fetch, the module takes no other
// call: every element drops the user's input until it has finished.
export const scheduler = {
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

// The element's calls to the control. A mixin of the element's session.
export const withCallRunning = (Base) => class extends Base {
  // A call that waits for a fetch returns a promise; until it settles no
  // other input reaches the module.
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
    this._setPointer(this._constants.pointerDefault);
    this._closePopup();
    this._showLoadFailure(new Error(`the control stopped after an internal failure (${error && error.message ? error.message : error})`));
  }

  _act(form, name, action, n = 0, flags = 0, text = '') {
    this._activeForm = form;
    return this._run(() => this._ctl.act(form, name, action, n, flags, text), true);
  }
};
