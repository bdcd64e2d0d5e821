#include "FlameSvg.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "FlameColours.h"
#include "JsonText.h"
#include "TextEncoding.h"

namespace kivra {
namespace {

using Geometry = FlameSvgGeometry;

// A label's characters are counted as columns of its 12-pixel monospaced
// font: 0.6 em in the usual ones, a little more so that no label runs past
// its box.
constexpr double kColumnWidth = 7.3;
constexpr int kTextMargin = 3;     // pixels between a box's edge and its label, as in the window
constexpr int kTextBaseline = 13;  // from the box's top
constexpr int kHitsLeft = 110;     // the search's count, right of "Reset zoom"
const char* const kRunFill = "#b0b0b0";
const char* const kEllipsis = "\xE2\x80\xA6";

// Columns a character takes in a monospaced font: two for the wide scripts
// of East Asia. The script counts them alike.
int ColumnsOf(char32_t point) { return point >= 0x2E80 ? 2 : 1; }

// A procedure name as the picture shows it: the code points of valid XML
// text, each with the columns it takes.
struct ShownName {
    std::u32string Points;
    std::string Escaped;  // the whole name as XML text
    int Columns = 0;
};

void AppendEscaped(std::string& out, char32_t point) {
    switch (point) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    case '\'': out += "&#39;"; break;
    default: AppendUtf8(out, point);
    }
}

ShownName ShowName(std::string_view name) {
    ShownName shown;
    for (std::size_t at = 0; at < name.size();) {
        char32_t point = NextCodePoint(name, at);
        // Control characters are not XML text, and a line break would split
        // the tooltip's first line, which the script reads as the name.
        if (point < 0x20 || point == 0x7F || point == 0xFFFE || point == 0xFFFF) point = 0xFFFD;
        shown.Points += point;
        shown.Columns += ColumnsOf(point);
        AppendEscaped(shown.Escaped, point);
    }
    return shown;
}

// The label of a box `width` pixels wide: the name, cut with an ellipsis
// where it does not fit, or nothing in a box too narrow for a character.
void AppendLabel(std::string& out, const ShownName& name, double width) {
    if (!(width > 3 * kTextMargin + kColumnWidth)) return;
    const auto fit = static_cast<int>(std::floor((width - 2 * kTextMargin) / kColumnWidth));
    if (name.Columns <= fit) {
        out += name.Escaped;
        return;
    }
    int used = 0;
    for (const char32_t point : name.Points) {
        const int columns = ColumnsOf(point);
        if (used + columns > fit - 1) break;
        used += columns;
        AppendEscaped(out, point);
    }
    out += kEllipsis;
}

// Pixels as written: to the thousandth, which both this writer and the
// script then read as the same number.
std::int64_t Thousandths(double pixels) { return std::llround(pixels * 1000.0); }
double FromThousandths(std::int64_t thousandths) { return static_cast<double>(thousandths) / 1000.0; }

void AppendInt(std::string& out, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void AppendHex(std::string& out, const RgbColour& colour) {
    const char* const hex = "0123456789abcdef";
    out += '#';
    for (const std::uint8_t channel : {colour.Red, colour.Green, colour.Blue}) {
        out += hex[channel >> 4];
        out += hex[channel & 15];
    }
}

class SvgWriter {
public:
    SvgWriter(const FlameLayout& layout, const std::vector<std::string>& names, const FlameSvgOptions& options)
        : layout_(layout), options_(options) {
        width_ = std::clamp(options.Width, Geometry::kSmallestWidth, Geometry::kLargestWidth);
        graphWidth_ = width_ - 2 * Geometry::kMargin;
        if (!layout.Rows.empty()) {
            for (const int box : layout.Rows[0]) runTotal_ += layout.Boxes[static_cast<std::size_t>(box)].Width;
        }
        scale_ = layout.Extent > 0 ? graphWidth_ / static_cast<double>(layout.Extent) : 0.0;
        shown_.reserve(names.size());
        for (const std::string& name : names) shown_.push_back(ShowName(name));
        // From the names' own bytes, as the window works them out.
        colours_.reserve(names.size());
        for (const std::string& name : names) colours_.push_back(ProcedureColour(name, false));
    }

    std::string Write() {
        const int rows = std::max<int>(1, static_cast<int>(layout_.Rows.size()));
        height_ = Geometry::kGraphTop + rows * Geometry::kRowHeight + Geometry::kBottom;
        out_.reserve(std::min<std::size_t>(layout_.Boxes.size(), 40000) * 200 + 8192);
        Head();
        out_ += "<g class=\"frames\">\n";
        if (layout_.Boxes.empty()) {
            out_ += "<text x=\"";
            AppendInt(out_, width_ / 2);
            out_ += "\" y=\"";
            AppendInt(out_, Geometry::kGraphTop + 13);
            out_ += "\" text-anchor=\"middle\">No calls in the trace</text>\n";
        } else {
            Boxes();
        }
        out_ += "</g>\n";
        Tail();
        return std::move(out_);
    }

private:
    void Milliseconds(std::int64_t nanoseconds) {
        options_.TimeFormat.AppendFormatted(out_, static_cast<float>(static_cast<double>(nanoseconds) / 1e6));
        out_ += " ms";
    }

    void Share(std::int64_t nanoseconds) {
        if (runTotal_ <= 0) return;
        char digits[32];
        const double share = static_cast<double>(nanoseconds) / static_cast<double>(runTotal_) * 100.0;
        const auto end = std::to_chars(digits, digits + sizeof digits, share, std::chars_format::fixed, 1).ptr;
        out_ += "\nShare of the run: ";
        out_.append(digits, end);
        out_ += '%';
    }

    // x, y, width and height of a box's rectangle; its left edge and width
    // as written.
    void Rect(double left, double width, int depth, const char* fill, const RgbColour* colour) {
        out_ += "<rect x=\"";
        AppendScaled(out_, Thousandths(Geometry::kMargin + left), 3);
        out_ += "\" y=\"";
        AppendInt(out_, Geometry::kGraphTop + static_cast<std::int64_t>(depth) * Geometry::kRowHeight);
        out_ += "\" width=\"";
        AppendScaled(out_, Thousandths(width), 3);
        out_ += "\" height=\"";
        AppendInt(out_, Geometry::kRowHeight - 1);
        out_ += "\" fill=\"";
        if (colour != nullptr) {
            AppendHex(out_, *colour);
        } else {
            out_ += fill;
        }
        out_ += "\"/>";
    }

    void Box(int index, double left, double right) {
        const FlameBox& box = layout_.Boxes[static_cast<std::size_t>(index)];
        const auto name = static_cast<std::size_t>(box.Name);
        static const ShownName kNoName;
        const ShownName& shown = name < shown_.size() ? shown_[name] : kNoName;
        const RgbColour colour = name < colours_.size() ? colours_[name] : RgbColour{200, 200, 200};
        out_ += "<g><title>";
        out_ += shown.Escaped;
        out_ += "\nTotal: ";
        Milliseconds(box.Width);
        out_ += "\nOwn: ";
        Milliseconds(box.Own);
        Share(box.Width);
        out_ += "\nCalls: ";
        AppendInt(out_, box.Calls);
        out_ += "</title>";
        const std::int64_t x = Thousandths(Geometry::kMargin + left);
        const std::int64_t width = Thousandths(right - left);
        Rect(left, right - left, box.Depth, nullptr, &colour);
        // The label from the numbers written, as the script works it out
        // again after a zoom.
        const std::size_t before = out_.size();
        out_ += "<text x=\"";
        AppendScaled(out_, x + 1000 * kTextMargin, 3);
        out_ += "\" y=\"";
        AppendInt(out_,
                  Geometry::kGraphTop + static_cast<std::int64_t>(box.Depth) * Geometry::kRowHeight + kTextBaseline);
        out_ += TextColourOn(colour) == RgbColour{0, 0, 0} ? "\">" : "\" class=\"w\">";
        const std::size_t label = out_.size();
        AppendLabel(out_, shown, FromThousandths(width));
        if (out_.size() == label) {
            out_.resize(before);
        } else {
            out_ += "</text>";
        }
        out_ += "</g>\n";
    }

    // Neighbouring boxes narrower than a pixel, drawn as one.
    struct Run {
        double Left = 0.0;
        double Right = -1.0;
        double Limit = 0.0;  // the right edge of the box it lies under
        int Anchor = -1;
        int Depth = 0;
        int Boxes = 0;
        std::int64_t Time = 0;
        std::vector<int> Names;
    };

    void Flush(Run& run) {
        if (run.Right < 0.0) return;
        out_ += "<g class=\"r\" data-n=\"";
        for (std::size_t i = 0; i < run.Names.size(); ++i) {
            if (i > 0) out_ += ',';
            AppendInt(out_, run.Names[i]);
        }
        out_ += "\"><title>";
        AppendInt(out_, run.Boxes);
        out_ += run.Boxes == 1 ? " box narrower than a pixel" : " boxes narrower than a pixel";
        out_ += "\nTotal: ";
        Milliseconds(run.Time);
        Share(run.Time);
        out_ += "</title>";
        // At least a pixel, as the window paints it, but never past the
        // box it lies under.
        Rect(run.Left, std::min(std::max(1.0, run.Right - run.Left), run.Limit - run.Left), run.Depth, kRunFill,
             nullptr);
        out_ += "</g>\n";
        run.Right = -1.0;
        run.Boxes = 0;
        run.Time = 0;
        run.Names.clear();
    }

    void Boxes() {
        const std::vector<FlameBox>& boxes = layout_.Boxes;
        const auto left = [&](const FlameBox& box) { return static_cast<double>(box.Begin) * scale_; };
        const auto right = [&](const FlameBox& box) { return static_cast<double>(box.Begin + box.Width) * scale_; };
        const auto narrow = [&](const FlameBox& box) { return right(box) - left(box) < 1.0; };
        // Per box, its nearest caller drawn on its own (-1 for none): a run
        // only joins boxes below the same one, so that a zoom to a box
        // shows every run under it whole and no other.
        std::vector<int> anchor(boxes.size(), -1);
        for (std::size_t b = 0; b < boxes.size(); ++b) {
            const int parent = boxes[b].Parent;
            if (parent < 0 || static_cast<std::size_t>(parent) >= b) continue;
            const FlameBox& caller = boxes[static_cast<std::size_t>(parent)];
            anchor[b] = narrow(caller) ? anchor[static_cast<std::size_t>(parent)] : parent;
        }
        // Names already listed in the run being gathered, by the run's number.
        std::vector<std::int64_t> listedIn(shown_.size(), -1);
        std::int64_t runNumber = 0;
        Run run;
        for (std::size_t depth = 0; depth < layout_.Rows.size(); ++depth) {
            run.Depth = static_cast<int>(depth);
            for (const int index : layout_.Rows[depth]) {
                const FlameBox& box = boxes[static_cast<std::size_t>(index)];
                const double from = left(box);
                const double to = right(box);
                if (to - from >= 1.0) {
                    Flush(run);
                    Box(index, from, to);
                    continue;
                }
                const int under = anchor[static_cast<std::size_t>(index)];
                if (run.Right < 0.0 || run.Anchor != under || from >= run.Right + 1.0) {
                    Flush(run);
                    ++runNumber;
                    run.Left = from;
                    run.Right = to;
                    run.Anchor = under;
                    run.Limit = under >= 0 ? right(boxes[static_cast<std::size_t>(under)]) : graphWidth_;
                }
                run.Right = std::max(run.Right, to);
                ++run.Boxes;
                run.Time += box.Width;
                const auto name = static_cast<std::size_t>(box.Name);
                if (name < listedIn.size() && listedIn[name] != runNumber) {
                    listedIn[name] = runNumber;
                    run.Names.push_back(box.Name);
                }
            }
            Flush(run);
        }
    }

    void Head() {
        out_ +=
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" class=\"kivra-flame\" width=\"";
        AppendInt(out_, width_);
        out_ += "\" height=\"";
        AppendInt(out_, height_);
        out_ += "\" viewBox=\"0 0 ";
        AppendInt(out_, width_);
        out_ += ' ';
        AppendInt(out_, height_);
        out_ += "\">\n";
        out_ += R"(<style><![CDATA[
text { font-family: Consolas, "DejaVu Sans Mono", "Liberation Mono", Menlo, monospace; font-size: 12px; fill: #000; }
.heading { font-size: 17px; }
.frames text { pointer-events: none; }
.frames text.w { fill: #fff; }
.frames rect { stroke: #fff; stroke-width: 0.5px; }
.frames g.r rect { stroke: none; }
.frames g { cursor: pointer; }
.frames g.r { cursor: default; }
.frames g:hover rect { stroke: #000; }
.frames g.up { opacity: 0.65; }
.searching .frames g:not(.m) { opacity: 0.3; }
.reset { fill: #0645ad; cursor: pointer; }
.reset.off { fill: #888; cursor: default; }
.reset:focus { outline: none; text-decoration: underline; }
.hits.bad { fill: #c00000; }
.find { display: flex; align-items: center; gap: 8px; font: 12px sans-serif; }
.find input[type=search] { flex: 1; min-width: 0; font: inherit; }
]]></style>
)";
        out_ += "<rect class=\"background\" width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
        out_ += "<text class=\"heading\" x=\"";
        AppendInt(out_, width_ / 2);
        out_ += "\" y=\"22\" text-anchor=\"middle\">";
        const ShownName title = ShowName(options_.Title.empty() ? std::string_view("Flame graph") : options_.Title);
        out_ += title.Escaped;
        out_ += "</text>\n<text class=\"mode\" x=\"";
        AppendInt(out_, width_ / 2);
        out_ += "\" y=\"40\" text-anchor=\"middle\">";
        out_ += layout_.Mode == FlameMode::Merged     ? "Merged by call path"
                : layout_.Mode == FlameMode::Inverted ? "Inverted: each procedure with its callers"
                                                      : "Time order";
        out_ += ". Total: ";
        Milliseconds(runTotal_);
        out_ += "</text>\n";
        out_ += "<text class=\"reset off\" x=\"";
        AppendInt(out_, Geometry::kMargin);
        out_ += "\" y=\"60\" tabindex=\"0\" role=\"button\">Reset zoom</text>\n";
        out_ += "<text class=\"hits\" x=\"";
        AppendInt(out_, kHitsLeft);
        out_ += "\" y=\"60\" aria-live=\"polite\"></text>\n";
        // The search field narrows with the picture, down to what its label needs.
        const int searchWidth = std::clamp(width_ - 470, 200, 330);
        out_ += "<foreignObject x=\"";
        AppendInt(out_, width_ - Geometry::kMargin - searchWidth);
        out_ += "\" y=\"45\" width=\"";
        AppendInt(out_, searchWidth);
        out_ +=
            "\" height=\"22\"><div xmlns=\"http://www.w3.org/1999/xhtml\" class=\"find\">"
            "<input type=\"search\" placeholder=\"Search names\" aria-label=\"Search procedure names\"/>"
            "<label><input type=\"checkbox\" class=\"regex\"/> Regular expression</label></div></foreignObject>\n";
    }

    void Tail() {
        out_ += "<text class=\"details\" x=\"";
        AppendInt(out_, Geometry::kMargin);
        out_ += "\" y=\"";
        AppendInt(out_, height_ - 10);
        out_ += "\"></text>\n<script><![CDATA[\n";
        out_ += kScript;
        out_ += "({w: ";
        AppendInt(out_, graphWidth_);
        out_ += ", x0: ";
        AppendInt(out_, Geometry::kMargin);
        out_ += ", top: ";
        AppendInt(out_, Geometry::kGraphTop);
        out_ += ", row: ";
        AppendInt(out_, Geometry::kRowHeight);
        out_ += ", baseline: ";
        AppendInt(out_, kTextBaseline);
        out_ += ", margin: ";
        AppendInt(out_, kTextMargin);
        out_ += ", column: ";
        AppendScaled(out_, Thousandths(kColumnWidth), 3);
        out_ += ", names: [";
        for (std::size_t n = 0; n < shown_.size(); ++n) {
            if (n > 0) out_ += ',';
            AppendScriptString(shown_[n]);
        }
        out_ += "]});\n]]></script>\n</svg>\n";
    }

    // A name as a string of the script: nothing in it may end the CDATA
    // section or, with the picture inside an HTML page, the script.
    void AppendScriptString(const ShownName& name) {
        out_ += '"';
        for (const char32_t point : name.Points) {
            if (point == '"' || point == '\\') {
                out_ += '\\';
                out_ += static_cast<char>(point);
            } else if (point == '<' || point == '>' || point == '&' || point == 0x2028 || point == 0x2029) {
                static const char* const kHex = "0123456789abcdef";
                out_ += "\\u";
                for (int shift = 12; shift >= 0; shift -= 4) out_ += kHex[(point >> shift) & 15];
            } else {
                AppendUtf8(out_, point);
            }
        }
        out_ += '"';
    }

    static const char* const kScript;

    const FlameLayout& layout_;
    const FlameSvgOptions& options_;
    std::vector<ShownName> shown_;
    std::vector<RgbColour> colours_;
    int width_ = 0;
    int height_ = 0;
    double graphWidth_ = 0.0;
    double scale_ = 0.0;
    std::int64_t runTotal_ = 0;
    std::string out_;
};

// Zoom, reset and search. Every box is read back from the picture; the
// function is called with the picture's geometry and the procedure names.
const char* const SvgWriter::kScript = R"((function (K) {
  'use strict';
  var SVG = 'http://www.w3.org/2000/svg';
  var script = document.currentScript;
  var root = script && script.parentNode && script.parentNode.namespaceURI === SVG
    ? script.parentNode : document.querySelector('svg.kivra-flame');
  function part(name) { return root.querySelector('.' + name); }
  var frames = part('frames'), reset = part('reset'), hits = part('hits'), details = part('details');
  var field = root.querySelector('input[type=search]'), regex = root.querySelector('input.regex');
  var HINT = 'Click a box to zoom to it; / to search names, Enter for the next match, Esc to zoom out.';
  var EPS = 0.002;

  var items = [], byNode = new Map();
  Array.prototype.forEach.call(frames.children, function (g) {
    var rect = g.querySelector('rect');
    if (!rect) return;
    var it = {
      g: g, rect: rect, text: g.querySelector('text'), run: g.classList.contains('r'),
      x: parseFloat(rect.getAttribute('x')), w: parseFloat(rect.getAttribute('width')),
      depth: Math.round((parseFloat(rect.getAttribute('y')) - K.top) / K.row), name: '', names: []
    };
    if (it.run) {
      var ids = g.getAttribute('data-n');
      it.names = ids ? ids.split(',').map(Number) : [];
    } else {
      it.name = g.firstElementChild.textContent.split('\n')[0];
    }
    items.push(it);
    byNode.set(g, it);
  });

  function columns(c) { return c.codePointAt(0) >= 0x2E80 ? 2 : 1; }
  // The label of a box w pixels wide, as the picture was written with.
  function labelOf(name, w) {
    if (!(w > 3 * K.margin + K.column)) return '';
    var fit = Math.floor((w - 2 * K.margin) / K.column);
    var chars = Array.from(name), all = 0, i;
    for (i = 0; i < chars.length; ++i) all += columns(chars[i]);
    if (all <= fit) return name;
    var out = '', used = 0;
    for (i = 0; i < chars.length; ++i) {
      var c = columns(chars[i]);
      if (used + c > fit - 1) break;
      used += c;
      out += chars[i];
    }
    return out + '\u2026';
  }
  function whiteText(fill) {
    var v = parseInt(fill.slice(1), 16);
    return 0.299 * (v >> 16) + 0.587 * ((v >> 8) & 255) + 0.114 * (v & 255) <= 140;
  }
  function place(it, shown, x, w) {
    it.g.style.display = shown ? '' : 'none';
    if (!shown) return;
    it.rect.setAttribute('x', x.toFixed(3));
    it.rect.setAttribute('width', w.toFixed(3));
    if (it.run) return;
    var label = labelOf(it.name, w);
    if (label && !it.text) {
      it.text = document.createElementNS(SVG, 'text');
      it.text.setAttribute('y', String(K.top + it.depth * K.row + K.baseline));
      if (whiteText(it.rect.getAttribute('fill'))) it.text.setAttribute('class', 'w');
      it.g.appendChild(it.text);
    }
    if (it.text) {
      it.text.setAttribute('x', (x + K.margin).toFixed(3));
      it.text.textContent = label;
    }
  }

  var zoomed = null;
  function zoomTo(box) {
    zoomed = box;
    var k = K.w / box.w;
    items.forEach(function (it) {
      var up = false;
      if (it.depth < box.depth) {
        // The callers stretch over the whole width.
        up = !it.run && it.x <= box.x + EPS && it.x + it.w >= box.x + box.w - EPS;
        place(it, up, K.x0, K.w);
      } else if (it.depth === box.depth) {
        place(it, it === box, K.x0, K.w);
      } else {
        place(it, it.x >= box.x - EPS && it.x < box.x + box.w - EPS, K.x0 + (it.x - box.x) * k, it.w * k);
      }
      it.g.classList.toggle('up', up);
    });
    reset.classList.remove('off');
  }
  function zoomOut() {
    zoomed = null;
    items.forEach(function (it) {
      it.g.classList.remove('up');
      place(it, true, it.x, it.w);
    });
    reset.classList.add('off');
  }

  var matches = [], current = -1;
  function say(text, bad) {
    hits.textContent = text;
    hits.classList.toggle('bad', !!bad);
  }
  // The share of the run that the matching boxes cover, boxes under
  // matching boxes counted once.
  function coveredShare() {
    var spans = matches.map(function (it) { return [it.x, it.x + it.w]; });
    spans.sort(function (a, b) { return a[0] - b[0]; });
    var covered = 0, end = -Infinity;
    spans.forEach(function (s) {
      if (s[1] <= end) return;
      covered += s[1] - Math.max(s[0], end);
      end = s[1];
    });
    return (covered / K.w * 100).toFixed(1) + '% of the run';
  }
  function search() {
    var text = field ? field.value : '', test = null;
    matches = [];
    current = -1;
    if (text !== '') {
      if (regex && regex.checked) {
        try {
          var expression = new RegExp(text, 'i');
          test = function (name) { return expression.test(name); };
        } catch (e) {
          test = null;
          say('Invalid expression', true);
        }
      } else {
        var lower = text.toLowerCase();
        test = function (name) { return name.toLowerCase().indexOf(lower) >= 0; };
      }
    }
    var named = test ? K.names.map(function (name) { return test(name); }) : [];
    items.forEach(function (it) {
      var match = test !== null &&
        (it.run ? it.names.some(function (n) { return named[n]; }) : test(it.name));
      it.g.classList.toggle('m', match);
      if (match && !it.run) matches.push(it);
    });
    root.classList.toggle('searching', test !== null);
    if (test === null) {
      if (text === '') say('');
      return;
    }
    var runs = items.some(function (it) { return it.run && it.g.classList.contains('m'); });
    if (matches.length === 0) {
      say(runs ? 'Only in boxes narrower than a pixel' : 'No match');
    } else {
      say((matches.length === 1 ? '1 match, ' : matches.length + ' matches, ') + coveredShare());
    }
  }
  function step(by) {
    if (matches.length === 0) return;
    current = (current + by + matches.length) % matches.length;
    zoomTo(matches[current]);
    say((current + 1) + ' of ' + matches.length + ', ' + coveredShare());
  }

  function itemOf(node) {
    for (; node && node !== frames; node = node.parentNode) {
      var it = byNode.get(node);
      if (it) return it;
    }
    return null;
  }
  frames.addEventListener('click', function (e) {
    var it = itemOf(e.target);
    if (it && !it.run) zoomTo(it);
  });
  frames.addEventListener('mouseover', function (e) {
    var it = itemOf(e.target);
    if (it) details.textContent = it.g.firstElementChild.textContent.replace(/\n/g, ', ');
  });
  frames.addEventListener('mouseout', function () { details.textContent = HINT; });
  function activate(e) {
    if (e.type === 'click' || e.key === 'Enter' || e.key === ' ') {
      e.preventDefault();
      if (zoomed) zoomOut();
    }
  }
  reset.addEventListener('click', activate);
  reset.addEventListener('keydown', activate);
  if (field) {
    field.addEventListener('input', search);
    field.addEventListener('keydown', function (e) {
      if (e.key === 'Enter') {
        e.preventDefault();
        step(e.shiftKey ? -1 : 1);
      } else if (e.key === 'Escape') {
        e.preventDefault();
        e.stopPropagation();
        field.value = '';
        search();
      }
    });
  }
  if (regex) regex.addEventListener('change', search);
  document.addEventListener('keydown', function (e) {
    // Keys typed into a field, this picture's or a page's around it, are the field's.
    var target = e.target;
    if (target === field || (target && (target.isContentEditable || /^(input|textarea|select)$/i.test(target.tagName))))
      return;
    if (e.key === 'Escape' && zoomed) {
      zoomOut();
    } else if (e.key === '/' && field && !e.ctrlKey && !e.metaKey && !e.altKey) {
      e.preventDefault();
      field.focus();
    }
  });
  details.textContent = HINT;
  root.setAttribute('data-ready', 'true');
}))";

}  // namespace

std::string FlameGraphSvg(const FlameLayout& layout, const std::vector<std::string>& names,
                          const FlameSvgOptions& options) {
    return SvgWriter(layout, names, options).Write();
}

}  // namespace kivra
