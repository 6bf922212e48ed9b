// <zemra-impact-analysis>: the scenario impact analyser control in a page.
//
// The control itself is the WebAssembly module (zemra-module.js and .wasm
// beside this file). This module defines the element that hosts it: it reads
// the sixteen properties once, mirrors the control's widget model into the
// element's shadow DOM after every event, and passes the user's actions back
// to the model by element name. Every text is set with textContent or value,
// never as markup.
//
// Host pages load this one file as a module:
//   <script type="module" src="control/zemra-impact-analysis.js"></script>
// the element's other files stand beside it.
import { ZemraImpactAnalysis } from './impact-analysis-element.js';

if (!customElements.get('zemra-impact-analysis')) customElements.define('zemra-impact-analysis', ZemraImpactAnalysis);
