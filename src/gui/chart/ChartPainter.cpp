#include "gui/chart/ChartPainter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainterPath>

#include "gui/chart/CursorBMarker.h"
#include "gui/common/AnsiText.h"
#include "gui/common/NumericFormat.h"

namespace quillon {

namespace {

QColor ColourOf(uint32_t rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

QString TickText(double v, double step) {
    const int decimals =
        step >= 1 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step))));
    return QString::number(v, 'f', decimals);
}

/// Text turned to read upwards, centred in a tall box.
void DrawTurnedText(QPainter& p, const QRectF& box, const QString& text) {
    p.save();
    p.translate(box.center());
    p.rotate(-90);
    p.drawText(QRectF(-box.height() / 2, -box.width() / 2, box.height(), box.width()),
               Qt::AlignCenter, text);
    p.restore();
}

/// The contrast ratio of two colours (1 to 21) from their relative luminance.
double ContrastRatio(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Opacity of the filled columns of a channel of a few levels.
constexpr int kFewLevelsFillAlpha = 70;
// A curve seen from so far that every pixel column holds this many frames or more is a band from
// each column's minimum to its maximum: where a column's band is at least kDenseBlendFrom pixels
// tall its inside is blended at this opacity and its edges stay opaque, so that the curves drawn
// before it stay visible through it.
constexpr size_t kDenseFramesPerColumn = 16;
constexpr int kDenseFillAlpha = 120;
constexpr int kDenseBlendFrom = 12;

const char* const kZoomCaptions[ChartLayout::kZoomButtonCount] = {"In", "Out", "All", "Last"};

}  // namespace

std::vector<std::pair<double, double>> ChartPainter::SelectionBands(const FrameSelection& selection,
                                                                    const float* times, int count,
                                                                    const PlotMapping& xMap,
                                                                    double minimum) {
    std::vector<std::pair<double, double>> bands;
    if (!times || count <= 0) return bands;
    const std::vector<FrameRun>& runs = selection.Runs();
    const double left = xMap.left, right = xMap.left + xMap.width;
    const auto lastTime = [&](const FrameRun& r) { return times[std::min(r.end, count) - 1]; };
    // The first run that reaches into the window; runs before it end before it.
    auto it = std::partition_point(runs.begin(), runs.end(), [&](const FrameRun& r) {
        return r.first < count && lastTime(r) < xMap.window.minimum;
    });
    for (; it != runs.end() && it->first < count; ++it) {
        const double t0 = times[it->first];
        if (t0 > xMap.window.maximum) break;
        double x0 = xMap.X(t0), x1 = xMap.X(lastTime(*it));
        if (x1 - x0 < minimum) {
            const double middle = (x0 + x1) / 2;
            x0 = middle - minimum / 2;
            x1 = middle + minimum / 2;
        }
        x0 = std::max(x0, left);
        x1 = std::min(x1, right);
        if (x1 <= x0) continue;
        if (!bands.empty() && x0 <= bands.back().second)
            bands.back().second = std::max(bands.back().second, x1);
        else
            bands.emplace_back(x0, x1);
    }
    return bands;
}

void ChartPainter::PaintBack(QPainter& p, const ChartPaintParams& pp) const {
    const ChartLayout& layout = *pp.layout;
    const ChartModel& model = *pp.model;
    p.setFont(pp.font);
    const QRectF all(QPointF(0, 0), pp.size);
    if (pp.gradient) {
        QLinearGradient g(all.topLeft(), all.bottomLeft());
        g.setColorAt(0, pp.background.lighter(115));
        g.setColorAt(1, pp.background.darker(115));
        p.fillRect(all, g);
    } else {
        p.fillRect(all, pp.background);
    }
    switch (pp.borderType) {
        case 1:
            p.setPen(QPen(Qt::black, 0));
            p.drawRect(all.adjusted(0, 0, -1, -1));
            break;
        case 2:
            p.setPen(QPen(QColor(96, 96, 96), 0));
            p.drawRect(all.adjusted(0, 0, -3, -3));
            p.fillRect(QRectF(all.right() - 2, 2, 2, all.height() - 2), QColor(128, 128, 128));
            p.fillRect(QRectF(2, all.bottom() - 2, all.width() - 2, 2), QColor(128, 128, 128));
            break;
        case 3:
            p.setPen(QPen(QColor(128, 128, 128), 0));
            p.drawLine(all.topLeft(), all.topRight());
            p.drawLine(all.topLeft(), all.bottomLeft());
            p.setPen(QPen(Qt::white, 0));
            p.drawLine(all.bottomLeft() - QPointF(0, 1), all.bottomRight() - QPointF(0, 1));
            p.drawLine(all.topRight() - QPointF(1, 0), all.bottomRight() - QPointF(1, 0));
            break;
        default:
            break;
    }

    const QFontMetricsF fm(p.font());
    const TimeWindow& w = pp.window;
    const QRectF& area = layout.PlotArea();
    const std::vector<double> xTicks = ChartLayout::NiceTicks(
        w.minimum, w.maximum, std::max(2, static_cast<int>(area.width() / 90)));
    const double xStep = xTicks.size() > 1 ? xTicks[1] - xTicks[0] : w.Width();
    PlotMapping xMap;
    xMap.left = area.left();
    xMap.width = area.width();
    xMap.window = w;

    // The selected frames as bands over the panels' height, under the grid and the curves.
    std::vector<std::pair<double, double>> bands;
    if (pp.selection) {
        const double pixel =
            1.0 / std::max(p.device() ? p.device()->devicePixelRatioF() : 1.0, 1.0);
        bands = SelectionBands(*pp.selection, pp.mainTimes, pp.mainCount, xMap, pixel);
    }

    // Panels with their grid: vertical lines at the time ticks, horizontal ones at the ticks of
    // the panel's first labelled axis.
    const QColor grid(220, 220, 220);
    for (int panel = 0; panel < kPanelCount; ++panel) {
        const QRectF& r = layout.PanelRect(panel);
        if (r.isEmpty()) continue;
        p.fillRect(r, Qt::white);
        for (const auto& [x0, x1] : bands)
            p.fillRect(QRectF(x0, r.top(), x1 - x0, r.height()), QColor(255, 222, 160));
        p.setPen(QPen(grid, 0));
        for (double t : xTicks) {
            const double x = xMap.X(t);
            p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
        }
        for (int k = 0; k < ChartModel::kAxisCount; ++k) {
            const ChartItem& item = model.AxisItem(k);
            if (item.panel != panel || !item.axisShown) continue;
            const PlotMapping map = layout.MappingOf(item, w);
            for (double v : layout.AxisTicks(k))
                p.drawLine(QPointF(r.left(), map.Y(v)), QPointF(r.right(), map.Y(v)));
            break;
        }
        p.setPen(QPen(QColor(128, 128, 128), 0));
        p.drawRect(r);
    }

    // Y axes: a line in the item's colour, tick marks, the value labels and the channel's name.
    for (int k = 0; k < ChartModel::kAxisCount; ++k) {
        const QRectF& r = layout.AxisRect(k);
        if (r.isEmpty()) continue;
        const ChartItem& item = model.AxisItem(k);
        const QColor colour = ColourOf(item.rgb);
        const PlotMapping map = layout.MappingOf(item, w);
        p.setPen(QPen(colour, 0));
        p.drawLine(QPointF(r.right() - 2, r.top()), QPointF(r.right() - 2, r.bottom()));
        p.setPen(Qt::black);
        for (double v : layout.AxisTicks(k))
            p.drawLine(QPointF(r.right() - 5, map.Y(v)), QPointF(r.right() - 2, map.Y(v)));
        for (const ChartLayout::AxisLabel& label : layout.AxisLabels(k)) {
            const double y = std::clamp(map.Y(label.value), r.top(), r.bottom());
            p.drawLine(QPointF(r.right() - 5, y), QPointF(r.right() - 2, y));
            if (layout.AxisTextTurned())
                DrawTurnedText(p, label.rect, label.text);
            else
                p.drawText(label.rect, Qt::AlignRight | Qt::AlignVCenter, label.text);
        }
        const QRectF& nameBox = layout.AxisNameRect(k);
        if (!nameBox.isEmpty()) {
            if (const auto plate = NamePlate(colour, pp.background)) {
                p.setPen(Qt::NoPen);
                p.setBrush(*plate);
                p.drawRoundedRect(nameBox.adjusted(-1, -2, 1, 2), 2, 2);
                p.setBrush(Qt::NoBrush);
            }
            p.setPen(colour);
            DrawTurnedText(p, nameBox,
                           fm.elidedText(FromAnsi(item.name), Qt::ElideRight, nameBox.height()));
        }
    }

    // X axis.
    const QRectF& xr = layout.XAxisRect();
    p.setPen(Qt::black);
    for (double t : xTicks) {
        const double x = xMap.X(t);
        p.drawLine(QPointF(x, xr.top()), QPointF(x, xr.top() + 4));
        p.drawText(QRectF(x - 50, xr.top() + 4, 100, fm.height()), Qt::AlignCenter,
                   TickText(t, xStep));
    }
    p.drawText(QRectF(xr.left(), xr.top() + 6 + fm.height(), xr.width(), fm.height()),
               Qt::AlignCenter, QStringLiteral("Time (seconds)"));
}

void ChartPainter::Reduce(const ChartPaintParams& pp, int columns) {
    const ChartModel& model = *pp.model;
    const size_t subsets = static_cast<size_t>(model.SubsetCount());
    // The difference curves follow the subsets.
    const size_t curves = subsets + ChartModel::kItemCount;
    if (m_valid && pp.window == m_window && columns == m_columns && m_decimated.size() == curves)
        return;
    m_decimated.assign(curves, CurveDecimation{});
    // Column boundaries depend only on a log's times: curves over the same time array share one
    // split.
    struct Split {
        const float* x;
        size_t count;
        CurveDecimation::Columns columns;
    };
    std::vector<Split> splits;
    const auto reduce = [&](const ChartCurve& c, size_t slot) {
        if (c.Empty()) return;
        auto it = std::find_if(splits.begin(), splits.end(),
                               [&](const Split& s) { return s.x == c.x && s.count == c.count; });
        if (it == splits.end()) {
            splits.push_back(
                {c.x, c.count, CurveDecimation::Split(c.x, c.count, pp.window, columns)});
            it = splits.end() - 1;
        }
        if (c.summary) LoadWindow(model, c, it->columns, columns);
        m_decimated[slot] = CurveDecimation::Make(it->columns, c.envelope);
    };
    for (int k = 0; k < ChartModel::kItemCount; ++k) {
        const ChartItem& item = model.Item(k);
        if (item.visible) {
            reduce(item.main, static_cast<size_t>(model.SubsetOf(k, false)));
            if (model.HasComparison())
                reduce(item.comparison, static_cast<size_t>(model.SubsetOf(k, true)));
        }
        if (model.Difference(k).visible)
            reduce(model.Difference(k).main, subsets + static_cast<size_t>(k));
    }
    m_window = pp.window;
    m_columns = columns;
    m_valid = true;
}

void ChartPainter::LoadWindow(const ChartModel& model, const ChartCurve& c,
                              const CurveDecimation::Columns& cols, int columns) {
    // The frames the curve's summary cannot answer for: the raw samples drawn, or the columns
    // too narrow for its blocks. Frames read for one curve serve every curve of its log.
    const CurveEnvelope& e = c.envelope;
    size_t from = SIZE_MAX, to = 0;
    if (cols.bounds.empty()) {
        if (cols.first < cols.end) e.WindowSpan(cols.first, cols.end, from, to);
    } else {
        for (size_t k = 0; k + 1 < cols.bounds.size(); ++k) {
            if (!e.NeedsWindow(cols.bounds[k], cols.bounds[k + 1])) continue;
            size_t a = 0, b = 0;
            e.WindowSpan(cols.bounds[k], cols.bounds[k + 1], a, b);
            from = std::min(from, a);
            to = std::max(to, b);
        }
    }
    if (from >= to) return;
    // Single samples are kept for windows of a few per column; wider ones keep blocks only.
    const size_t keep = std::max<size_t>(size_t(64) * static_cast<size_t>(columns), 65536);
    model.LoadWindows(c.x, from, to, keep);
}

void ChartPainter::PaintCurves(const ChartPaintParams& pp, double pixelRatio, QImage* pixels,
                               QPainter* shared) {
    const ChartModel& model = *pp.model;
    const ChartLayout& layout = *pp.layout;
    Reduce(pp, std::max(1, static_cast<int>(std::ceil(layout.PlotArea().width() * pixelRatio))));
    // Raw curves are drawn with one-device-pixel cosmetic pens and no antialiasing, which keeps
    // the rasteriser on its fast path at any pixel ratio (wider pens cost a hundred times more).
    std::optional<QPainter> own;
    const QPaintEngine* engine = shared ? shared->paintEngine() : nullptr;
    const bool vector =
        engine && (engine->type() == QPaintEngine::SVG || engine->type() == QPaintEngine::Pdf);
    if (shared) {
        shared->save();
        shared->setRenderHint(QPainter::Antialiasing, false);
    }
    // Comparison curves go under the main ones, the difference curves on top.
    enum class Kind { Comparison, Main, Difference };
    const auto paint = [&](const ChartItem& item, const ChartCurve& c, const CurveDecimation& d,
                           Kind kind, bool fewLevels) {
        const PlotMapping map = layout.MappingOf(item, pp.window);
        QColor colour = ColourOf(item.rgb);
        const bool dense =
            !d.raw && d.end - d.first >= kDenseFramesPerColumn * static_cast<size_t>(d.columns);
        const int fillAlpha = fewLevels ? kFewLevelsFillAlpha : dense ? kDenseFillAlpha : 255;
        if (pixels && !d.raw) {
            own.reset();  // no painter may be open on the image while its pixels are written
            const QRect clip(
                QPoint(static_cast<int>(std::lround(map.left * pixelRatio)),
                       static_cast<int>(std::lround(map.top * pixelRatio))),
                QPoint(static_cast<int>(std::lround((map.left + map.width) * pixelRatio)) - 1,
                       static_cast<int>(std::lround((map.top + map.height) * pixelRatio)) - 1));
            const int period = kind == Kind::Comparison ? 8 : kind == Kind::Difference ? 4 : 0;
            d.FillSpans(
                *pixels, map, pixelRatio, colour.rgba(), clip,
                static_cast<int>(std::lround(period * pixelRatio)), fillAlpha,
                fewLevels ? 0 : static_cast<int>(std::lround(kDenseBlendFrom * pixelRatio)));
            return;
        }
        if (!d.raw) colour.setAlpha(fillAlpha);
        if (!shared && !own) {
            own.emplace(pixels);
            own->setRenderHint(QPainter::Antialiasing, false);
        }
        QPainter& p = shared ? *shared : *own;
        p.setClipRect(QRectF(map.left, map.top, map.width, map.height));
        QPen pen(colour, 0);
        if (kind == Kind::Comparison) pen.setStyle(Qt::DashLine);
        if (kind == Kind::Difference) pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        m_points.clear();
        m_starts.clear();
        // Another picture of the same model (an export at another size) may have moved the
        // window since this reduction was made.
        if (c.summary && d.raw && d.first < d.end &&
            (!c.envelope.WindowHolds(d.first, d.end) ||
             d.end - d.first > c.envelope.WindowValues().size()))
            LoadWindow(model, c, CurveDecimation::Columns{d.first, d.end, {}}, m_columns);
        if (c.summary)
            d.AppendPolylines(c.x, c.envelope.WindowValues().data(), map, pixelRatio, m_points,
                              m_starts, c.envelope.WindowFirst(), c.envelope.WindowValues().size());
        else
            d.AppendPolylines(c.x, c.y, map, pixelRatio, m_points, m_starts);
        if (vector) {
            // A picture file gets each curve as one path, its gaps as separate subpaths.
            QPainterPath path;
            for (size_t s = 0; s < m_starts.size(); ++s) {
                const int begin = m_starts[s];
                const int end =
                    s + 1 < m_starts.size() ? m_starts[s + 1] : static_cast<int>(m_points.size());
                if (end <= begin) continue;
                path.moveTo(m_points[static_cast<size_t>(begin)]);
                if (end - begin == 1) path.lineTo(m_points[static_cast<size_t>(begin)]);
                for (int i = begin + 1; i < end; ++i)
                    path.lineTo(m_points[static_cast<size_t>(i)]);
            }
            if (!path.isEmpty()) p.drawPath(path);
            return;
        }
        for (size_t s = 0; s < m_starts.size(); ++s) {
            const int begin = m_starts[s];
            const int end =
                s + 1 < m_starts.size() ? m_starts[s + 1] : static_cast<int>(m_points.size());
            if (end - begin == 1)
                p.drawPoint(m_points[static_cast<size_t>(begin)]);
            else if (end > begin)
                p.drawPolyline(m_points.data() + begin, end - begin);
        }
    };
    // Channels of a few levels (flags, states) go first, so that where they toggle within every
    // column their filled spans lie under the other curves instead of hiding them.
    for (int pass = 0; pass < 4; ++pass) {
        const bool fewLevels = pass < 2;
        const bool comparison = pass % 2 == 0;
        if (comparison && !model.HasComparison()) continue;
        for (int k = 0; k < ChartModel::kItemCount; ++k) {
            const ChartItem& item = model.Item(k);
            const ChartCurve& c = comparison ? item.comparison : item.main;
            if (!item.visible || c.Empty() || c.fewLevels != fewLevels) continue;
            paint(item, c, m_decimated[static_cast<size_t>(model.SubsetOf(k, comparison))],
                  comparison ? Kind::Comparison : Kind::Main, fewLevels);
        }
    }
    for (int k = 0; k < ChartModel::kItemCount; ++k) {
        const ChartItem& difference = model.Difference(k);
        if (!difference.visible || difference.main.Empty()) continue;
        paint(difference, difference.main,
              m_decimated[static_cast<size_t>(model.SubsetCount()) + static_cast<size_t>(k)],
              Kind::Difference, false);
    }
    if (shared) shared->restore();
}

void ChartPainter::PaintBackAndCurves(QImage& image, const ChartPaintParams& pp) {
    {
        QPainter p(&image);
        PaintBack(p, pp);
    }
    PaintCurves(pp, image.devicePixelRatio(), &image, nullptr);
}

void ChartPainter::Paint(QPainter& p, const ChartPaintParams& pp) {
    PaintBack(p, pp);
    PaintCurves(pp, 1.0, nullptr, &p);
    PaintFore(p, pp);
}

void ChartPainter::PaintFore(QPainter& p, const ChartPaintParams& pp) const {
    const ChartLayout& layout = *pp.layout;
    const ChartModel& model = *pp.model;
    const QRectF& area = layout.PlotArea();
    p.setFont(pp.font);

    if (pp.showBand) {
        const double x0 = std::clamp(pp.bandX0, area.left(), area.right());
        const double x1 = std::clamp(pp.bandX1, area.left(), area.right());
        const QRectF band(QPointF(std::min(x0, x1), area.top()),
                          QPointF(std::max(x0, x1), area.bottom()));
        p.fillRect(band, QColor(0, 0, 255, 40));
        p.setPen(QPen(QColor(0, 0, 160), 0));
        p.drawRect(band);
    }

    // The cursor: a line at its frame's time and a mark on its curve.
    if (pp.cursorItem >= 0 && pp.cursorFrame >= 0) {
        const ChartItem& item = model.Item(pp.cursorItem);
        const PlotMapping map = layout.MappingOf(item, pp.window);
        const double x = map.X(pp.cursorTime);
        if (x >= area.left() && x <= area.right()) {
            p.setPen(QPen(QColor(64, 64, 64), 0, Qt::DotLine));
            p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
            const ChartCurve& c = pp.cursorOnComparison ? item.comparison : item.main;
            const float v = c.DrawnAt(pp.cursorFrame);
            if (item.visible && CurveEnvelope::IsDrawable(v)) {
                const double y = map.Y(v);
                if (y >= map.top && y <= map.top + map.height) {
                    p.setPen(QPen(Qt::black, 0));
                    p.setBrush(ColourOf(item.rgb));
                    p.drawRect(QRectF(x - 3, y - 3, 6, 6));
                    p.setBrush(Qt::NoBrush);
                }
            }
        }
    }

    CursorBMarker::Paint(p, pp);

    // The cursor table.
    if (pp.table) {
        const QFontMetricsF fm(p.font());
        const QRectF& table = layout.TableRect();
        p.fillRect(table, QColor(255, 255, 255, 230));
        p.setPen(QPen(QColor(160, 160, 160), 0));
        p.drawRect(table);
        p.drawLine(QPointF(table.left(), table.top() + layout.TableRowHeight()),
                   QPointF(table.right(), table.top() + layout.TableRowHeight()));
        for (int c = 0; c < CursorTable::kColumns; ++c) {
            const QRectF head = layout.TableCell(0, c).adjusted(3, 0, -3, 0);
            const QRectF cell = layout.TableCell(1, c).adjusted(3, 0, -3, 0);
            p.setPen(Qt::black);
            p.drawText(head, Qt::AlignLeft | Qt::AlignVCenter,
                       QString::fromLatin1(CursorTable::kHeadings[static_cast<size_t>(c)]));
            p.setPen(c == 0 ? QColor(Qt::black) : ColourOf(ChartModel::kTableFigureColour));
            p.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                       fm.elidedText(UnsignedZero(FromAnsi(pp.table->Cell(c))), Qt::ElideRight,
                                     cell.width()));
        }
    }

    if (pp.picture) {
        PaintCaption(p, pp);
        return;
    }
    // The zoom buttons.
    for (int b = 0; b < ChartLayout::kZoomButtonCount; ++b) {
        const QRectF r = layout.ZoomButtonRect(b);
        const bool enabled = b != ChartLayout::kZoomLast || pp.zoomLastEnabled;
        p.setPen(QPen(QColor(120, 120, 120), 0));
        p.setBrush(QColor(250, 250, 250));
        p.drawRoundedRect(r, 3, 3);
        p.setBrush(Qt::NoBrush);
        p.setPen(enabled ? QColor(Qt::black) : QColor(150, 150, 150));
        p.drawText(r, Qt::AlignCenter, QString::fromLatin1(kZoomCaptions[b]));
    }
}

std::optional<QColor> ChartPainter::NamePlate(const QColor& text, const QColor& background) {
    // Three to one is the least contrast at which text of this size reads easily.
    if (ContrastRatio(text, background) >= 3.0) return std::nullopt;
    const QColor dark(45, 45, 45), light(Qt::white);
    return ContrastRatio(text, dark) >= ContrastRatio(text, light) ? dark : light;
}

void ChartPainter::PaintCaption(QPainter& p, const ChartPaintParams& pp) {
    // Right of the cursor table, where the screen has its zoom buttons: one line per table row,
    // on a plate like the table's so that any background colour leaves it legible.
    const ChartLayout& layout = *pp.layout;
    const QRectF table = layout.TableRect();
    const double rowHeight = layout.TableRowHeight();
    const double room = pp.size.width() - table.right() - 16;
    if (room < 20) return;
    const QFontMetricsF fm(p.font());
    const QStringList lines = pp.caption.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (int i = 0; i < std::min<int>(lines.size(), 2); ++i) {
        const QString text = fm.elidedText(lines[i], Qt::ElideMiddle, room - 6);
        const double width = fm.horizontalAdvance(text) + 6;
        const QRectF box(pp.size.width() - 4 - width, table.top() + i * rowHeight, width,
                         rowHeight);
        p.fillRect(box, QColor(255, 255, 255, 230));
        p.setPen(Qt::black);
        p.drawText(box, Qt::AlignCenter, text);
    }
}

}  // namespace quillon
