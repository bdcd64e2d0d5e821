#!/bin/sh
# Opens kivra's SVG flame graph in headless Chromium: as a file of its own
# (the XML must parse and the picture's script must run), then in a page
# whose script clicks, searches and zooms out as a user would, with the
# picture inline and as a document of its own in a frame.
# Fails on a script error; exits 77 (skipped) without Chromium.
#
#   svg_in_chromium.sh KIVRA SAMPLE.pad
set -eu

kivra=$1
sample=$2
chromium=${CHROMIUM:-/usr/bin/chromium}
if [ ! -x "$chromium" ]; then
    echo "svg_in_chromium: $chromium is not installed; skipped"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

fail() {
    echo "svg_in_chromium: $*" >&2
    exit 1
}

# browse FILE [FLAG...]: prints the page's DOM after its scripts ran; the
# browser's log goes to FILE.log.
browse() {
    page=$1
    shift
    profile=$(mktemp -d "$work/profile.XXXXXX")
    timeout 90 "$chromium" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync --user-data-dir="$profile" \
        --enable-logging=stderr --v=0 --virtual-time-budget=5000 "$@" --dump-dom "file://$page" 2>"$page.log"
}

no_script_error() {
    if grep -q "Uncaught" "$1.log"; then
        grep "Uncaught" "$1.log" >&2
        fail "a script error in $1"
    fi
}

# Names with markup characters, quotes and what would end a CDATA section
# or a script, in a trace of its own.
cat >"$work/names.pad" <<'EOF'
Kivra PAD Trace File
Run Date: 12/7/2026 14:32:05
Application: Names
Resolution: 1 ms
Machine: M
User: U
Fields: Name|Order|Depth|Start|Stop|DataIn|DataLog|DataOut
A<b>&"c'd|2|2|10|60|||
]]></script>x|3|2|60|90|||
Main|1|1|0|100|||
EOF

"$kivra" export "$sample" --svg -o "$work/flame.svg"
"$kivra" export "$sample" --svg --inverted -o "$work/inverted.svg"
"$kivra" export "$work/names.pad" --svg -o "$work/names.svg"

for picture in flame.svg inverted.svg names.svg; do
    browse "$work/$picture" >"$work/$picture.dom"
    no_script_error "$work/$picture"
    if grep -q "parsererror\|This page contains the following errors" "$work/$picture.dom"; then
        fail "$picture is not well-formed XML"
    fi
    grep -q 'data-ready="true"' "$work/$picture.dom" || fail "the script of $picture did not run to its end"
done

# The picture used through its controls as a user would: inline in a page,
# and as a document of its own in a frame of that page (a file: page reaches
# into another's document only with --allow-file-access-from-files).
{
    cat <<'EOF'
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>check</title></head><body>
<pre id="result">NOT RUN</pre>
<script>
window.onerror = function (message) { document.getElementById('result').textContent = 'FAIL: ' + message; };
</script>
EOF
    sed '1{/^<?xml/d}' "$work/flame.svg"
    cat <<'EOF'
<iframe id="frame" width="1200" height="300"></iframe>
<script>
function exercise(svg, doc) {
  var problems = [];
  function check(ok, what) { if (!ok) problems.push(what); }
  var view = doc.defaultView;
  check(svg.getAttribute('data-ready') === 'true', 'the picture\'s script ran');
  var boxes = Array.prototype.slice.call(svg.querySelectorAll('.frames > g:not(.r)'));
  function named(name) {
    return boxes.filter(function (g) { return g.querySelector('title').textContent.split('\n')[0] === name; })[0];
  }
  function shown(g) { return g.style.display !== 'none'; }
  function width(g) { return parseFloat(g.querySelector('rect').getAttribute('width')); }
  function labels() {
    return boxes.map(function (g) { var t = g.querySelector('text'); return t ? t.textContent : ''; }).join('|');
  }
  var before = labels();
  var graphWidth = parseFloat(svg.getAttribute('width')) - 20;

  // A click zooms to the box: it fills the width, its callees grow, the
  // rest of its row and other branches go.
  var open = named('OpenDatabase'), connect = named('Connect'), search = named('cmdSearch_Click');
  var connectWidth = width(connect);
  open.querySelector('rect').dispatchEvent(new view.MouseEvent('click', {bubbles: true}));
  check(Math.abs(width(open) - graphWidth) < 0.01, 'the zoomed box fills the width');
  check(shown(connect) && width(connect) > connectWidth * 2, 'a callee grows');
  check(!shown(search), 'another branch is hidden');
  check(shown(named('Form_Load')), 'the caller stays');
  check(!svg.querySelector('.reset').classList.contains('off'), 'Reset zoom is offered');

  // Esc zooms out: every box and label as written.
  doc.dispatchEvent(new view.KeyboardEvent('keydown', {key: 'Escape', bubbles: true}));
  check(boxes.every(shown), 'every box is back');
  check(labels() === before, 'the labels are those written');

  // The search highlights matching names, letter case ignored.
  var field = svg.querySelector('input[type=search]');
  var hits = svg.querySelector('.hits');
  field.value = 'fetch';
  field.dispatchEvent(new view.Event('input'));
  var matching = svg.querySelectorAll('.frames > g.m:not(.r)').length;
  check(matching === 3, 'three boxes match "fetch", not ' + matching);
  check(svg.classList.contains('searching'), 'the others fade');
  check(/^3 matches, \d+\.\d% of the run$/.test(hits.textContent), 'the count reads ' + hits.textContent);
  field.dispatchEvent(new view.KeyboardEvent('keydown', {key: 'Enter', bubbles: true}));
  check(/^1 of 3/.test(hits.textContent), 'Enter goes to the first match: ' + hits.textContent);
  check(!shown(open), 'and zooms to it');
  var regex = svg.querySelector('input.regex');
  regex.checked = true;
  field.value = '^fetch(rows|customer)$';
  field.dispatchEvent(new view.Event('input'));
  check(svg.querySelectorAll('.frames > g.m:not(.r)').length === 2, 'an expression matches two names');
  field.value = '(';
  field.dispatchEvent(new view.Event('input'));
  check(hits.textContent === 'Invalid expression', 'an expression that is not one is said so');
  field.dispatchEvent(new view.KeyboardEvent('keydown', {key: 'Escape', bubbles: true}));
  check(field.value === '' && !svg.classList.contains('searching'), 'Esc in the field ends the search');
  return problems;
}
(function () {
  var result = document.getElementById('result');
  var inline = exercise(document.querySelector('svg.kivra-flame'), document);
  var frame = document.getElementById('frame');
  frame.onload = function () {
    var problems = inline.map(function (p) { return 'inline: ' + p; });
    try {
      var doc = frame.contentDocument;
      exercise(doc.documentElement, doc).forEach(function (p) { problems.push('own document: ' + p); });
    } catch (e) {
      problems.push('own document: ' + e);
    }
    result.textContent = problems.length ? 'FAIL: ' + problems.join('; ') : 'PASS';
  };
  frame.src = 'flame.svg';
})();
</script>
</body></html>
EOF
} >"$work/page.html"

browse "$work/page.html" --allow-file-access-from-files >"$work/page.dom"
no_script_error "$work/page.html"
if ! grep -q '<pre id="result">PASS</pre>' "$work/page.dom"; then
    grep -o '<pre id="result">[^<]*</pre>' "$work/page.dom" >&2 || true
    fail "the page's checks failed"
fi
echo "svg_in_chromium: the flame graphs work in $("$chromium" --version 2>/dev/null || echo Chromium)"
