#include "gui/common/ToolWindow.h"
#include "gui/dialogs/CDlgDataLogScatterPlot.h"

#include <algorithm>

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/chart/ScatterPlotView.h"
#include "gui/common/CChannelPicker.h"
#include "gui/common/CGDIPColorLegend.h"
#include "gui/common/CNumericEdit.h"
#include "gui/common/NumericFormat.h"
#include "document/CDataLogDoc.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"
#include "document/Prompt.h"
#include "gui/dialogs/PictureExport.h"

namespace quillon {

namespace {

constexpr int kBoundStyle = CNumericEdit::kSpin | CNumericEdit::kBar | CNumericEdit::kNotifyAll;

/// One decimal steps by 0.1, two by 0.01, anything else (or no ".") by 1.
double StepOf(const QString& format) {
    const qsizetype dot = format.indexOf(QLatin1Char('.'));
    if (dot < 0 || dot + 1 >= format.size()) return 1.0;
    if (format[dot + 1] == u'1') return 0.1;
    if (format[dot + 1] == u'2') return 0.01;
    return 1.0;
}

}  // namespace

CDlgDataLogScatterPlot::CDlgDataLogScatterPlot(CDataLogDoc& doc, IPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_prompt(prompt) {
    setWindowTitle(QStringLiteral("Scatter Plot"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A dialog-type window stays above its owner under a window manager; it keeps the buttons
    // of a main window.
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);

    m_band = new QWidget(this);
    auto* grid = new QGridLayout(m_band);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    auto label = [this](const char* text) { return new QLabel(QString::fromLatin1(text), m_band); };
    m_xCombo = new CChannelPicker(m_band);
    m_yCombo = new CChannelPicker(m_band);
    m_colorCombo = new CChannelPicker(m_band);
    m_filterCombo = new CChannelPicker(m_band);
    grid->addWidget(label("X Axis:"), 0, 0);
    grid->addWidget(m_xCombo, 0, 1);
    grid->addWidget(label("Y Axis:"), 0, 2);
    grid->addWidget(m_yCombo, 0, 3);
    grid->addWidget(label("Color:"), 0, 4);
    grid->addWidget(m_colorCombo, 0, 5, 1, 2);

    grid->addWidget(label("Filter:"), 1, 0);
    grid->addWidget(m_filterCombo, 1, 1);
    auto* filterRow = new QHBoxLayout;
    filterRow->setSpacing(6);
    m_filterCheck = new QCheckBox(QStringLiteral("Filter Data"), m_band);
    m_lower = new CNumericEdit(m_prompt, m_band, 1);
    m_upper = new CNumericEdit(m_prompt, m_band, 2);
    for (CNumericEdit* field : {m_lower, m_upper}) {
        field->Setup(kBoundStyle, QStringLiteral("%.0f"), QStringLiteral("%.0f"), 0, 1, 1);
        field->SetThickBar();
        field->setMinimumWidth(96);
    }
    filterRow->addWidget(m_filterCheck);
    filterRow->addWidget(m_lower, 1);
    filterRow->addWidget(m_upper, 1);
    grid->addLayout(filterRow, 1, 2, 1, 2);

    auto* legendRow = new QHBoxLayout;
    legendRow->setSpacing(4);
    m_minLabel = new QLabel(QStringLiteral("Min"), m_band);
    m_maxLabel = new QLabel(QStringLiteral("Max"), m_band);
    m_minLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_legend = new CGDIPColorLegend(m_band);
    m_legend->setMinimumWidth(101);
    legendRow->addWidget(m_minLabel);
    legendRow->addWidget(m_legend, 1);
    legendRow->addWidget(m_maxLabel);
    grid->addLayout(legendRow, 1, 4, 1, 3);
    m_picture = new QPushButton(QStringLiteral("Export Picture..."), m_band);
    m_picture->setToolTip(QStringLiteral("Save the plot as a PNG, SVG or PDF file"));
    grid->addWidget(m_picture, 0, 7);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 1);
    // Two rows of controls share the 55 pixels; a font too tall for them makes the band taller
    // rather than cutting the texts. The pickers' drop-down lists are windows of their own and
    // keep their height.
    const int row = std::max((kBandHeight - 7) / 2, fontMetrics().height() + 8);
    for (QWidget* w : m_band->findChildren<QWidget*>())
        if (w->window() == m_band->window()) w->setMaximumHeight(row);
    m_band->setFixedHeight(std::max(kBandHeight, 2 * row + 7));

    m_plot = new ScatterPlotView(this);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_band);
    column->addWidget(m_plot, 1);
    resize(860, m_band->height() + 600);

    const LogData& log = m_doc.Main();
    m_xCombo->Fill(log, m_selection.xChannel);
    m_yCombo->Fill(log, m_selection.yChannel);
    m_colorCombo->Fill(log, m_selection.colorChannel);
    m_filterCombo->Fill(log, m_selection.filterChannel);
    m_filterCheck->setChecked(m_selection.filterEnabled);
    SetUpBounds();

    Follow(m_xCombo, &m_selection.xChannel);
    Follow(m_yCombo, &m_selection.yChannel);
    Follow(m_colorCombo, &m_selection.colorChannel);
    Follow(m_filterCombo, &m_selection.filterChannel);
    connect(m_filterCheck, &QCheckBox::toggled, this, [this](bool on) {
        m_selection.filterEnabled = on;
        Rebuild();
    });
    for (CNumericEdit* field : {m_lower, m_upper})
        connect(field, &CNumericEdit::nenChanged, this, [this] {
            if (m_selection.filterEnabled) Rebuild();
        });
    connect(m_plot, &ScatterPlotView::frameClicked, this, &CDlgDataLogScatterPlot::OnPointClicked);
    connect(m_plot, &ScatterPlotView::boxSelected, this, &CDlgDataLogScatterPlot::OnBoxSelected);
    connect(m_picture, &QPushButton::clicked, this, &CDlgDataLogScatterPlot::OnExportPicture);

    m_settingUp = false;
    Rebuild();
    m_doc.AddView(this);
}

CDlgDataLogScatterPlot::~CDlgDataLogScatterPlot() {
    m_doc.RemoveView(this);
}

CDlgDataLogScatterPlot* CDlgDataLogScatterPlot::OpenOrRaise(
    QPointer<CDlgDataLogScatterPlot>& window, CDataLogDoc& doc, IPrompt& prompt, QWidget* parent) {
    return ShowToolWindow(window, [&] { return new CDlgDataLogScatterPlot(doc, prompt, parent); });
}

void CDlgDataLogScatterPlot::Destroy(QPointer<CDlgDataLogScatterPlot>& window) {
    delete window.data();
}

void CDlgDataLogScatterPlot::reject() {
    // Escape and the close button both end here: the window goes, as it does not come back.
    QDialog::reject();
    deleteLater();
}

void CDlgDataLogScatterPlot::SetUpBounds() {
    const LogData& log = m_doc.Main();
    const int c = m_selection.filterChannel;
    const std::string valueFormat = GetChannelValueFormat(log.config, c);
    const QString display = FromAnsi(valueFormat);
    const QString edit = FromAnsi(NumberFormatOf(valueFormat));
    const double minimum = GetChannelMin(log, c);
    const double maximum = std::max<double>(GetChannelMax(log, c), minimum);
    for (CNumericEdit* field : {m_lower, m_upper})
        field->Reconfigure(display, edit, minimum, maximum, StepOf(edit));
    // A new filter channel starts with its whole range between the bounds, so that switching the
    // filter on keeps every frame until the user narrows it.
    m_lower->SetValue(false, minimum);
    m_upper->SetValue(false, maximum);
}

void CDlgDataLogScatterPlot::Follow(CChannelPicker* picker, int* channel) {
    connect(picker, &CChannelPicker::channelPicked, this, [this, picker, channel](int c) {
        if (m_settingUp) return;
        *channel = c;
        if (picker == m_filterCombo) SetUpBounds();
        Rebuild();
    });
}

void CDlgDataLogScatterPlot::Rebuild() {
    if (m_settingUp) return;
    LogData& log = m_doc.Main();
    ScatterSelection s = m_selection;
    s.lower = float(m_lower->Value());
    s.upper = float(m_upper->Value());
    ScatterPlotData data = m_plot->TakeData();
    data.Build(log, m_doc.GetDisplayLength(), s);

    auto name = [&](int c) { return FromAnsi(GetChannelName(log.config, c)); };
    auto format = [&](int c) { return FromAnsi(GetChannelValueFormat(log.config, c)); };
    ScatterPlotView::Texts texts;
    texts.xTitle = name(s.xChannel);
    texts.yTitle = name(s.yChannel);
    texts.colorTitle = name(s.colorChannel);
    texts.xFormat = format(s.xChannel);
    texts.yFormat = format(s.yChannel);
    texts.colorFormat = format(s.colorChannel);
    texts.timeFormat = format(1);
    m_minLabel->setText(FormatDouble(texts.colorFormat, data.ColorMin()));
    m_maxLabel->setText(FormatDouble(texts.colorFormat, data.ColorMax()));
    const ScatterRange xFallback{GetChannelMin(log, s.xChannel), GetChannelMax(log, s.xChannel)};
    const ScatterRange yFallback{GetChannelMin(log, s.yChannel), GetChannelMax(log, s.yChannel)};
    m_plot->SetPlot(std::move(data), texts, xFallback, yFallback);
    // Other axes: the box no longer outlines the selected points.
    ShowSelection(std::nullopt);
    ShowCursor();
    ++m_rebuilds;
}

void CDlgDataLogScatterPlot::OnPointClicked(int frame) {
    m_doc.SetCursor(frame, m_doc.GetCursorEntry(), false);
    m_doc.UpdateAllViews(this, DocumentChange::CursorMoved);
    ShowCursor();
    emit cursorMoved(frame);
}

void CDlgDataLogScatterPlot::OnBoxSelected(const ValueBox& box) {
    const ScatterPlotData& data = m_plot->Data();
    // Only the main log's own frames: its columns are padded to a longer comparison's length.
    const size_t n =
        std::min<size_t>(size_t(data.Size()), size_t(std::max(m_doc.GetFrameCount(), 0)));
    m_doc.SetSelection(FrameSelection::InBox(data.X().data(), data.Y().data(), n, box), this);
    ShowSelection(box);
}

void CDlgDataLogScatterPlot::ShowSelection(const std::optional<ValueBox>& box) {
    const std::shared_ptr<const FrameSelection> selection = m_doc.GetSelection();
    if (!selection) {
        m_plot->SetSelectionBox(std::nullopt, {});
        return;
    }
    const int64_t n = selection->FrameCount();
    m_plot->SetSelectionBox(box, QStringLiteral("%1 frame%2 selected (Esc clears)")
                                     .arg(n)
                                     .arg(n == 1 ? QString() : QStringLiteral("s")));
}

void CDlgDataLogScatterPlot::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        m_doc.HasSelection()) {
        m_doc.ClearSelection(this);
        ShowSelection(std::nullopt);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CDlgDataLogScatterPlot::ShowCursor() {
    m_plot->SetCursorFrame(m_doc.IsCursorOnComparison() ? -1 : m_doc.GetCursorFrame());
}

int CDlgDataLogScatterPlot::LegendHeight() const {
    const int line = m_plot->fontMetrics().height();
    return line + 12 + (FilterCaption().isEmpty() ? 0 : line);
}

QString CDlgDataLogScatterPlot::FilterCaption() const {
    if (!m_selection.filterEnabled) return {};
    const LogData& log = m_doc.Main();
    const int c = m_selection.filterChannel;
    const QString format = FromAnsi(GetChannelValueFormat(log.config, c));
    return QStringLiteral("Filter: %1 from %2 to %3")
        .arg(FromAnsi(GetChannelName(log.config, c)), FormatDouble(format, m_lower->Value()),
             FormatDouble(format, m_upper->Value()));
}

void CDlgDataLogScatterPlot::DrawLegend(QPainter& painter, const QRect& whole) const {
    const QFontMetrics fm(m_plot->font());
    painter.fillRect(whole, m_plot->palette().window());
    painter.setFont(m_plot->font());
    painter.setPen(m_plot->palette().color(QPalette::WindowText));
    // An active filter is named on a line of its own under the colour legend.
    QRect strip = whole;
    if (const QString filter = FilterCaption(); !filter.isEmpty()) {
        strip.setBottom(whole.bottom() - fm.height());
        const QRect line(whole.left() + 8, strip.bottom() - 3, whole.width() - 16, fm.height());
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                         fm.elidedText(filter, Qt::ElideRight, line.width()));
    }
    constexpr int kGap = 8;
    const QString title = QStringLiteral("Color: ") + m_plot->PlotTexts().colorTitle;
    const QString low = m_minLabel->text(), high = m_maxLabel->text();
    const int ramp = std::clamp(strip.width() / 3, 60, 2 * CGDIPColorLegend::kRampSize);
    // The ramp and its two values stand at the right; the title takes what is left.
    int x = strip.right() - kGap - fm.horizontalAdvance(high);
    const int baseline = strip.top() + (strip.height() + fm.ascent() - fm.descent()) / 2;
    painter.drawText(QPoint(x, baseline), high);
    x -= kGap + ramp;
    const QRectF bar(x, strip.top() + 4, ramp, strip.height() - 8);
    for (int i = 0; i < CGDIPColorLegend::kRampSize; ++i) {
        const double step = bar.width() / CGDIPColorLegend::kRampSize;
        painter.fillRect(QRectF(bar.left() + i * step, bar.top(), step + 0.5, bar.height()),
                         CGDIPColorLegend::RampColor(i));
    }
    x -= kGap + fm.horizontalAdvance(low);
    painter.drawText(QPoint(x, baseline), low);
    const int room = x - kGap - (strip.left() + kGap);
    painter.drawText(QPoint(strip.left() + kGap, baseline),
                     fm.elidedText(title, Qt::ElideRight, std::max(room, 0)));
}

PictureSource CDlgDataLogScatterPlot::Picture() {
    PictureSource source;
    const int strip = LegendHeight();
    source.render = [this, strip](QPainter& p, const QSizeF& size) {
        const QSize whole = size.toSize();
        DrawLegend(p, QRect(0, 0, whole.width(), strip));
        p.save();
        p.translate(0, strip);
        m_plot->Render(p, QSize(whole.width(), std::max(whole.height() - strip, 1)));
        p.restore();
    };
    source.renderImage = [this, strip](const QSize& size, qreal ratio) {
        QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) return image;
        image.setDevicePixelRatio(ratio);
        QPainter p(&image);
        DrawLegend(p, QRect(0, 0, size.width(), strip));
        p.drawImage(
            QPoint(0, strip),
            m_plot->RenderImage(QSize(size.width(), std::max(size.height() - strip, 1)), ratio));
        return image;
    };
    source.title = windowTitle();
    source.dpi = m_plot->logicalDpiX() > 0 ? m_plot->logicalDpiX() : 96;
    return source;
}

void CDlgDataLogScatterPlot::OnExportPicture() {
    RunPictureExport(Picture(), m_plot->size() + QSize(0, LegendHeight()),
                     m_plot->devicePixelRatioF(), m_doc.GetPathName(), QStringLiteral(" scatter"),
                     m_prompt, this);
}

void CDlgDataLogScatterPlot::OnUpdate(IDataLogView*, DocumentChange change) {
    if (change == DocumentChange::SelectionChanged || change == DocumentChange::LogChanged)
        ShowSelection(m_doc.HasSelection() ? m_plot->SelectionBox() : std::nullopt);
    ShowCursor();
}

}  // namespace quillon
