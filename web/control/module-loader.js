// Loading the control's WebAssembly module (zemra-module.js and
// zemra-module.wasm), which stands in the same folder as the element's
// files.

// The folder the element's files are served from.
export const controlFolder = new URL('.', import.meta.url).href;

// The module: one per page, shared by every element on it.
let modulePromise = null;
export function loadModule() {
  if (!modulePromise) {
    modulePromise = new Promise((resolve, reject) => {
      const finish = () => {
        // The loader returns a promise of the ready module.
        window.ZemraModule({ locateFile: (file) => controlFolder + file }).then((m) => {
          m.zemraHosts = m.zemraHosts || {};
          resolve(m);
        }, reject);
      };
      if (typeof window.ZemraModule === 'function') { finish(); return; }
      const s = document.createElement('script');
      s.src = controlFolder + 'zemra-module.js';
      s.onload = finish;
      s.onerror = () => reject(new Error(`The control's module ${s.src} could not be loaded.`));
      document.head.appendChild(s);
    });
  }
  return modulePromise;
}

