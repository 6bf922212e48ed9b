// Each kind of widget in the page: the nodes it is made of, and how they
// show the widget's state. Every text is set with textContent or value.
import { pointSize, rgbOrNull } from './value-conversions.js';

// The nodes of one widget; the entry also names the node that takes the
// focus and the parts that show its texts.
export function createWidget(formName, name, w) {
  const entry = { kind: w.kind, node: null, focus: null };
  const tag = (el) => { el.dataset.form = formName; el.dataset.widget = name; return el; };
  switch (w.kind) {
    case 'label': {
      entry.node = document.createElement('div');
      entry.node.className = 'zemra-label';
      if (w.role === 'caption' || w.role === 'header') entry.node.classList.add('zemra-caption');
      if (w.role === 'header') entry.node.classList.add('zemra-header');
      if (w.role === 'notice') entry.node.classList.add('zemra-notice');
      if (w.role === 'value') entry.node.classList.add('zemra-value');
      break;
    }
    case 'textbox': {
      const input = document.createElement('input');
      input.type = 'text';
      input.className = 'zemra-text';
      input.spellcheck = false;
      input.autocomplete = 'off';
      // The field takes its column's width; its own would widen the column.
      input.size = 1;
      entry.node = input;
      entry.focus = input;
      break;
    }
    case 'listbox': {
      const list = document.createElement('div');
      list.className = 'zemra-list';
      list.tabIndex = 0;
      list.setAttribute('role', 'listbox');
      if (w.role === 'value') list.classList.add('zemra-values');
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
  entry.node.dataset.name = name;
  if (w.height) entry.node.style.height = `${w.height}px`;
  return entry;
}

// A drop-down is as wide as its longest entry (up to a bound), so that
// every entry reads whole in the closed box and the box keeps its width
// whichever entry is chosen. The entries are measured in the box's font.
const ENTRY_WIDTH_BOUND = 280;
let measuring = null;
function widestEntry(text, rows) {
  if (!measuring) measuring = document.createElement('canvas').getContext('2d');
  const style = getComputedStyle(text);
  measuring.font = style.font;
  const spacing = parseFloat(style.letterSpacing) || 0;
  return Math.max(0, ...rows.map((row) => measuring.measureText(row).width + spacing * row.length));
}

// A text still too long for its box is set a step smaller, down to the
// smallest readable step.
const FIT_STEPS = ['zemra-fit-1', 'zemra-fit-2'];
function fitText(node) {
  for (const step of FIT_STEPS) {
    if (node.scrollWidth <= node.clientWidth) return;
    node.classList.add(step);
  }
}

// Shows the widget's state (visibility, enabled, texts, colours, rows).
export function updateWidget(entry, w) {
  const node = entry.node;
  node.style.visibility = w.visible ? '' : 'hidden';
  node.classList.toggle('zemra-disabled', !w.enabled);
  node.title = w.toolTip || '';
  const fore = rgbOrNull(w.foreColor), back = rgbOrNull(w.backColor);
  switch (w.kind) {
    case 'label':
      node.textContent = w.caption;
      // A label that reports how far a task has come carries a bar.
      if (w.percent !== undefined) {
        const bar = document.createElement('span');
        bar.className = 'zemra-progress';
        const done = document.createElement('span');
        done.className = 'zemra-progress-done';
        done.style.width = `${w.percent}%`;
        bar.setAttribute('role', 'progressbar');
        bar.setAttribute('aria-valuenow', String(w.percent));
        bar.append(done);
        node.append(bar);
      }
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
      entry.text.classList.remove(...FIT_STEPS);
      if (entry.rowsKey !== (entry.rowsKey = JSON.stringify([w.rows, w.text]))) {
        const widest = widestEntry(entry.text, [...(w.rows || []), w.text]);
        entry.text.style.minWidth = `${Math.ceil(Math.min(widest, ENTRY_WIDTH_BOUND)) + 1}px`;
      }
      fitText(entry.text);
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
