// The HTML report's style and script, kept apart from the writer that
// fills the page.
#include "HtmlReport.h"

namespace kivra {

// Light and dark follow the browser's theme; every colour has a pair.
// Class names carry "k-" so that they meet none of the flame graph's own.
const char* const kHtmlReportStyle = R"(:root {
  color-scheme: light dark;
  --bg: #ffffff; --fg: #1b1b1b; --muted: #5a5a5a; --line: #d0d0d0; --head: #f2f2f2;
  --bar: rgba(40, 110, 210, 0.35); --hit: rgba(255, 200, 0, 0.35); --focus: #1a5fb4;
  --slower: rgba(255, 0, 0, 0.19); --faster: rgba(0, 160, 0, 0.19); --stop: #b00020; --link: #0645ad;
}
@media (prefers-color-scheme: dark) {
  :root {
    --bg: #1e1e1e; --fg: #e6e6e6; --muted: #a8a8a8; --line: #454545; --head: #2b2b2b;
    --bar: rgba(90, 160, 255, 0.40); --hit: rgba(255, 200, 0, 0.30); --focus: #8ab4f8;
    --slower: rgba(255, 70, 70, 0.28); --faster: rgba(60, 200, 60, 0.25); --stop: #ff8a80; --link: #8ab4f8;
  }
}
body { margin: 0; background: var(--bg); color: var(--fg); font: 14px/1.4 system-ui, "DejaVu Sans", sans-serif; }
a { color: var(--link); }
.k-head { padding: 12px 16px 4px; }
.k-head h1 { margin: 0 0 6px; font-size: 20px; overflow-wrap: anywhere; }
.k-facts { display: flex; flex-wrap: wrap; gap: 2px 24px; margin: 0; }
.k-facts div { display: flex; gap: 6px; }
.k-facts dt { color: var(--muted); }
.k-facts dd { margin: 0; font-variant-numeric: tabular-nums; }
.k-stop { color: var(--stop); font-weight: 600; margin: 6px 0 0; }
.k-note { margin: 6px 0 0; }
.k-bar { position: sticky; top: 0; z-index: 3; display: flex; flex-wrap: wrap; align-items: center; gap: 6px 16px;
  padding: 8px 16px; background: var(--head); border-bottom: 1px solid var(--line); }
.k-find { display: flex; align-items: center; gap: 6px; margin-left: auto; }
.k-find input[type=search] { width: 18em; font: inherit; }
#k-found.k-bad { color: var(--stop); }
main { padding: 0 16px 24px; }
h2 { font-size: 17px; margin: 18px 0 6px; }
.k-tools { display: flex; flex-wrap: wrap; align-items: center; gap: 6px; margin-bottom: 6px; }
.k-tools span { color: var(--muted); }
button { font: inherit; }
.k-scroll { max-height: 70vh; overflow: auto; border: 1px solid var(--line); }
table { border-collapse: collapse; font-variant-numeric: tabular-nums; }
.k-scroll table { width: 100%; }
th, td { padding: 2px 8px; border-bottom: 1px solid var(--line); white-space: nowrap; text-align: left; }
thead th { position: sticky; top: 0; z-index: 1; background: var(--head); }
thead th button { all: unset; cursor: pointer; }
thead th button:focus-visible { outline: 2px solid var(--focus); }
th[aria-sort=ascending] button::after { content: " \25B2"; }
th[aria-sort=descending] button::after { content: " \25BC"; }
tbody th { font-weight: normal; }
.k-num, td[data-v] { text-align: right; }
.k-tree td { font-family: Consolas, "DejaVu Sans Mono", "Liberation Mono", Menlo, monospace; font-size: 13px; }
.k-tree tr:focus { outline: 2px solid var(--focus); outline-offset: -2px; }
.k-tree tr.k-hit td:first-child { background: var(--hit); }
.k-tw { display: inline-block; width: 1.2em; cursor: pointer; color: var(--muted); }
.k-own { position: relative; min-width: 9em; text-align: center; }
.k-b { position: absolute; left: 1px; top: 2px; bottom: 2px; background: var(--bar); }
.k-t { position: relative; }
.k-gap td { padding: 0; border: 0; }
.k-diff tr.k-slower { background: var(--slower); }
.k-diff tr.k-faster { background: var(--faster); }
.k-flame { overflow-x: auto; }
.k-flame svg.kivra-flame { max-width: 100%; height: auto; }
.k-flame foreignObject { display: none; }
)";

// The call tree drawn a slice at a time from the data, collapsible and
// usable from the keyboard; the tables sorted by a click on a header; the
// find field filtering the tables and the tree and highlighting the flame
// graph's boxes through the picture's own search.
const char* const kHtmlReportScript = R"((function () {
  'use strict';
  var data = JSON.parse(document.getElementById('k-data').textContent);
  var rows = data.rows, labels = data.labels, n = rows.length;
  var table = document.querySelector('[data-view="call-tree"]');
  var body = document.getElementById('k-tree-body');
  var scroller = document.getElementById('k-tree-scroll');
  var treeCount = document.getElementById('k-tree-count');
  var openLevel = +table.getAttribute('data-open-level');
  // The most rows the tree shows at once: a browser scrolls through so many
  // rows' height and no more (Firefox about 770,000, Chromium 1.4 million).
  var tallest = +table.getAttribute('data-tallest');
  var WINDOW = 400, MARGIN = 40;  // rows in the document, rows kept beyond the view

  // Per row: where its subtree ends, its parent, whether it is open.
  var end = new Int32Array(n), parent = new Int32Array(n), open = new Uint8Array(n), perLevel = [];
  (function () {
    var stack = [];
    for (var i = 0; i < n; i++) {
      var level = rows[i][0];
      while (stack.length > level) end[stack.pop()] = i;
      parent[i] = stack.length ? stack[stack.length - 1] : -1;
      stack.push(i);
      open[i] = level < openLevel ? 1 : 0;
      perLevel[level] = (perLevel[level] || 0) + 1;
    }
    while (stack.length) end[stack.pop()] = n;
  })();

  // While finding: the rows on a path to a match, those with a callee on
  // such a path (they show only those callees), their own open states, and
  // the matches. A row below the paths, opened, shows all its callees.
  var onPath = null, pathParent = null, openFound = null, hit = null;
  var shown = [], current = -1;

  function opened() { return onPath ? openFound : open; }
  function hasChildren(i) { return end[i] > i + 1; }
  function esc(text) {
    return String(text).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');
  }
  function grouped(count) { return String(count).replace(/\B(?=(\d{3})+(?!\d))/g, ','); }

  function layout() {
    var isOpen = opened();
    shown = [];
    for (var i = 0; i < n;) {
      if (onPath && !onPath[i] && (parent[i] < 0 || pathParent[parent[i]])) { i = end[i]; continue; }
      shown.push(i);
      i = isOpen[i] ? i + 1 : end[i];
    }
  }

  function rowHtml(i, at) {
    var r = rows[i], kids = hasChildren(i), isOpen = opened()[i], label = labels[r[1]];
    var indent = Math.min(r[0], 60) * 1.1 + 0.3;
    return '<tr data-i="' + i + '" data-label="' + esc(label) + '" aria-level="' + (r[0] + 1) + '"' +
      ' aria-rowindex="' + (at + 2) + '"' +
      (kids ? ' aria-expanded="' + (isOpen ? 'true' : 'false') + '"' : '') +
      (hit && hit[i] ? ' class="k-hit"' : '') + ' tabindex="' + (i === current ? 0 : -1) + '">' +
      '<td style="padding-left:' + indent.toFixed(1) + 'em"><span class="k-tw" aria-hidden="true">' +
      (kids ? (isOpen ? '\u25BE' : '\u25B8') : '') + '</span>' + esc(label) + '</td>' +
      '<td class="k-num">' + esc(r[2]) + '</td>' +
      '<td class="k-own"><span class="k-b" style="width:' + (r[4] / 10) + '%"></span><span class="k-t">' +
      esc(r[3]) + '</span></td>' +
      '<td>' + esc(r[6] || '') + '</td><td>' + esc(r[7] || '') + '</td><td>' + esc(r[8] || '') + '</td></tr>';
  }

  // Only a window of the shown rows is in the document, between two
  // spacers as tall as the rows they stand for: a million rows scroll as
  // fast as a hundred. Rows are one line each, so all are equally tall.
  var rowHeight = 0, from = 0, to = 0;
  function spacer(rowsOf) {
    return rowsOf > 0 ? '<tr class="k-gap" aria-hidden="true"><td colspan="6" style="height:' +
      (rowsOf * (rowHeight || 22)) + 'px"></td></tr>' : '';
  }
  var held = '';  // why Expand all opened less than all
  function tell() {
    treeCount.textContent = grouped(shown.length) + ' of ' + grouped(n) + ' rows shown' +
      (onPath ? ' (finding)' : '') + held;
  }
  // Draws the window that holds shown row `at` (or what the scroll shows).
  function render(at) {
    if (!rowHeight) {
      body.innerHTML = shown.length ? rowHtml(shown[0], 0) : '';
      // Measured where the tree shows; in a hidden page, measured again next time.
      rowHeight = body.firstElementChild ? body.firstElementChild.getBoundingClientRect().height : 0;
    }
    var height = rowHeight || 22;
    var top = at === undefined ? Math.floor(scroller.scrollTop / height) : at;
    from = Math.max(0, Math.min(top - WINDOW / 4, shown.length - WINDOW));
    to = Math.min(shown.length, from + WINDOW);
    var parts = [spacer(from)];
    for (var k = from; k < to; k++) parts.push(rowHtml(shown[k], k));
    parts.push(spacer(shown.length - to));
    // A row that had the focus keeps it when the window is drawn anew.
    var focused = body.contains(document.activeElement);
    body.innerHTML = parts.join('');
    table.setAttribute('aria-rowcount', shown.length + 1);
    var tr = current >= 0 ? rowElement(current) : null;
    if (tr) {
      tr.tabIndex = 0;
      if (focused) tr.focus({preventScroll: true});
    } else {
      var first = body.querySelector('tr[data-i]');
      if (first) first.tabIndex = 0;
    }
    tell();
  }
  var pending = false;
  scroller.addEventListener('scroll', function () {
    if (pending) return;
    pending = true;
    requestAnimationFrame(function () {
      pending = false;
      var height = rowHeight || 22;
      var first = Math.floor(scroller.scrollTop / height);
      var last = Math.ceil((scroller.scrollTop + scroller.clientHeight) / height);
      if ((first < from + MARGIN && from > 0) || (last > to - MARGIN && to < shown.length)) render();
    });
  });

  function rowElement(i) { return body.querySelector('tr[data-i="' + i + '"]'); }
  // Makes row i the current row, scrolled to and focused when asked.
  function choose(i, focus) {
    var at = shown.indexOf(i);
    if (at < 0) return;
    if (at < from || at >= to) {
      render(at);
      scroller.scrollTop = Math.max(0, (at + 1) * (rowHeight || 22) - scroller.clientHeight / 2);
    }
    current = i;
    body.querySelectorAll('tr[tabindex="0"]').forEach(function (t) { t.tabIndex = -1; });
    var tr = rowElement(i);
    if (!tr) return;
    tr.tabIndex = 0;
    if (focus) tr.focus();
  }
  function redraw(focus) {
    layout();
    render();
    if (current >= 0) choose(current, focus);
  }
  function toggle(i) {
    if (!hasChildren(i)) return;
    held = '';
    opened()[i] ^= 1;
    current = i;
    redraw(true);
  }

  // A row that takes the focus (Tab, a click, a script) is the current row,
  // so that the focus stays on it when the window is drawn anew.
  body.addEventListener('focusin', function (e) {
    var tr = e.target.closest('tr[data-i]');
    if (tr) current = +tr.getAttribute('data-i');
  });
  // Only the rows of calls: the spacers stand for no row.
  body.addEventListener('click', function (e) {
    var tr = e.target.closest('tr[data-i]');
    if (!tr) return;
    var i = +tr.getAttribute('data-i');
    if (e.target.classList.contains('k-tw')) toggle(i);
    else choose(i, true);
  });
  body.addEventListener('keydown', function (e) {
    var tr = e.target.closest('tr[data-i]');
    if (!tr) return;
    var i = +tr.getAttribute('data-i'), at = shown.indexOf(i), isOpen = opened()[i];
    var go = -1;
    switch (e.key) {
    case 'ArrowDown': go = at + 1; break;
    case 'ArrowUp': go = at - 1; break;
    case 'Home': go = 0; break;
    case 'End': go = shown.length - 1; break;
    case 'PageDown': go = Math.min(at + 20, shown.length - 1); break;
    case 'PageUp': go = Math.max(at - 20, 0); break;
    case 'ArrowRight':
      if (hasChildren(i) && !isOpen) toggle(i); else if (hasChildren(i)) go = at + 1;
      break;
    case 'ArrowLeft':
      if (hasChildren(i) && isOpen) toggle(i); else if (parent[i] >= 0) choose(parent[i], true);
      break;
    case 'Enter': case ' ': toggle(i); break;
    default: return;
    }
    e.preventDefault();
    if (go >= 0 && go < shown.length) choose(shown[go], true);
  });

  function openTo(i) {
    for (var p = parent[i]; p >= 0; p = parent[p]) opened()[p] = 1;
  }
  // Whether a row shows once its callers are open.
  function canShow(i) { return !onPath || onPath[i] || (parent[i] >= 0 && !pathParent[parent[i]]); }
  document.getElementById('k-hot').addEventListener('click', function () {
    var i = current >= 0 ? current : onPath ? (shown.length ? shown[0] : -1) : data.hot;
    if (i < 0) return;
    openTo(i);
    // Down the hottest callees, as far as the find lets rows show.
    while (rows[i][5] > 0 && canShow(i + rows[i][5])) {
      opened()[i] = 1;
      i += rows[i][5];
    }
    current = i;
    redraw(true);
    var tr = rowElement(i);
    if (tr && tr.scrollIntoView) tr.scrollIntoView({block: 'nearest'});
  });
  // Every row open, or, where that would show more rows than a browser
  // scrolls through, as many levels as fit.
  document.getElementById('k-expand').addEventListener('click', function () {
    var before = opened().slice();
    opened().fill(1);
    layout();
    held = '';
    if (shown.length > tallest) {
      var all = shown.length;
      if (onPath) {
        openFound.set(before);
      } else {
        // `fit` levels fit whole; rows above the last of them are opened.
        var fit = 0;
        for (var count = 0; fit < perLevel.length && count + perLevel[fit] <= tallest; fit++) count += perLevel[fit];
        for (var i = 0; i < n; i++) open[i] = rows[i][0] < fit - 1 ? 1 : 0;
      }
      held = '; all open would be ' + grouped(all) + ' rows, more than a page scrolls through: open the rest ' +
        'row by row';
    }
    redraw(false);
  });
  document.getElementById('k-collapse').addEventListener('click', function () {
    held = '';
    opened().fill(0);
    if (current >= 0) while (parent[current] >= 0) current = parent[current];
    redraw(false);
  });

  // Sorting: a click on a header orders by that column, again the other
  // way; numbers start with the largest, names from A. Equal values keep
  // the names' order.
  document.querySelectorAll('table.k-table').forEach(function (t) {
    var tbody = t.tBodies[0], heads = Array.prototype.slice.call(t.tHead.rows[0].cells);
    var keys = Array.prototype.map.call(tbody.rows, function (tr, pos) {
      return {
        tr: tr, pos: pos, name: tr.getAttribute('data-name').toLowerCase(),
        v: Array.prototype.map.call(tr.cells, function (c) { return parseFloat(c.getAttribute('data-v')); })
      };
    });
    function byName(a, b) { return a.name < b.name ? -1 : a.name > b.name ? 1 : a.pos - b.pos; }
    t.tHead.addEventListener('click', function (e) {
      var button = e.target.closest('button[data-col]');
      if (!button) return;
      var col = +button.getAttribute('data-col'), th = button.parentNode, was = th.getAttribute('aria-sort');
      var descending = was === 'none' ? col !== 0 : was === 'ascending';
      heads.forEach(function (h) { h.setAttribute('aria-sort', 'none'); });
      th.setAttribute('aria-sort', descending ? 'descending' : 'ascending');
      keys.sort(function (a, b) {
        var d = col === 0 ? byName(a, b) : a.v[col] - b.v[col];
        if (descending) d = -d;
        return d || byName(a, b);
      });
      var ordered = document.createDocumentFragment();
      keys.forEach(function (k) { ordered.appendChild(k.tr); });
      tbody.appendChild(ordered);
    });
  });

  // Finding.
  var field = document.getElementById('k-find'), regex = document.getElementById('k-regex');
  var found = document.getElementById('k-found');
  var picture = document.querySelector('[data-view="flame-graph"] svg');
  var pictureField = picture && picture.querySelector('input[type=search]');
  var pictureRegex = picture && picture.querySelector('input.regex');
  var waiting = 0;
  function matcher() {
    var text = field.value;
    if (!text) return null;
    if (regex.checked) {
      var expression = new RegExp(text, 'i');
      return function (s) { return expression.test(s); };
    }
    var lower = text.toLowerCase();
    return function (s) { return s.toLowerCase().indexOf(lower) >= 0; };
  }
  function find() {
    var test;
    try { test = matcher(); } catch (err) {
      found.textContent = 'Invalid expression';
      found.classList.add('k-bad');
      return;
    }
    found.classList.remove('k-bad');
    var procedures = 0;
    document.querySelectorAll('table.k-table tbody tr').forEach(function (tr) {
      var match = !test || test(tr.getAttribute('data-name'));
      tr.hidden = !match;
      if (match && tr.closest('[data-view="procedures"]')) procedures++;
    });
    var calls = 0;
    held = '';
    if (test) {
      var named = labels.map(function (label) { return test(label); });
      hit = new Uint8Array(n);
      onPath = new Uint8Array(n);
      pathParent = new Uint8Array(n);
      for (var i = n - 1; i >= 0; i--) {
        if (named[rows[i][1]]) { hit[i] = 1; calls++; }
        if (hit[i] || onPath[i]) {
          onPath[i] = 1;
          if (parent[i] >= 0) onPath[parent[i]] = pathParent[parent[i]] = 1;
        }
      }
      // Open down to every match; a match's own callees wait for a click.
      openFound = Uint8Array.from(pathParent);
    } else {
      hit = onPath = pathParent = openFound = null;
    }
    if (current >= 0 && onPath && !onPath[current]) current = -1;
    scroller.scrollTop = 0;
    redraw(false);
    if (pictureField) {
      pictureField.value = field.value;
      if (pictureRegex) pictureRegex.checked = regex.checked;
      pictureField.dispatchEvent(new Event('input'));
    }
    found.textContent = test ? (procedures === 1 ? '1 procedure, ' : grouped(procedures) + ' procedures, ') +
      (calls === 1 ? '1 call' : grouped(calls) + ' calls') : '';
  }
  field.addEventListener('input', function () {
    clearTimeout(waiting);
    waiting = setTimeout(find, n > 200000 ? 250 : 60);
  });
  regex.addEventListener('change', find);
  field.addEventListener('keydown', function (e) {
    if (e.key === 'Escape') {
      e.preventDefault();
      field.value = '';
      find();
    } else if (e.key === 'Enter' && pictureField) {
      // The flame graph's next match, zoomed to.
      e.preventDefault();
      clearTimeout(waiting);
      find();
      pictureField.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter', shiftKey: e.shiftKey, bubbles: true}));
    }
  });
  document.addEventListener('keydown', function (e) {
    var t = e.target;
    if (e.key !== '/' || e.ctrlKey || e.metaKey || e.altKey) return;
    if (t && (t.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(t.tagName))) return;
    e.preventDefault();
    field.focus();
  });

  layout();
  render();
  field.disabled = false;
  document.body.setAttribute('data-ready', 'true');
})();
)";

}  // namespace kivra
