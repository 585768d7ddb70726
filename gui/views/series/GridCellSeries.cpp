#include "views/series/GridCellSeries.h"

#include <QPainter>
#include <algorithm>

#include "model/HammerData.h"
#include "report/SeriesTable.h"
#include "views/series/SeriesText.h"

void CGridCellSeries::Bind(ISeriesCellHost* host, int series) {
    m_host = host;
    m_series = series;
}

int CGridCellSeries::Measure(int width) const {
    if (!m_host) return 0;
    CSeriesDetailPainter measure(nullptr, m_host->DetailFont(), m_host->Data(), m_series,
                                 m_host->Statistics(m_series), m_host->FormatState(), 0, nullptr, nullptr);
    return CSeriesDetailPainter::RequiredHeight(measure.Layout(width));
}

void CGridCellSeries::SetHeight(int height) {
    m_height = std::max(0, height);
    if (m_host) m_host->SetDetailHeight(m_series, m_height);
}

void CGridCellSeries::Expand(bool immediate, int width, int knownHeight) {
    m_collapsing = false;
    m_expanding = true;
    m_required = knownHeight >= 0 ? knownHeight : Measure(width);
    if (m_height < 2) SetHeight(2);
    if (immediate) {
        SetHeight(m_required);
        m_expanding = false;
        m_expanded = true;
    } else if (m_host) {
        m_host->AnimationWanted(m_series);
    }
}

void CGridCellSeries::Collapse(bool immediate) {
    m_expanding = false;
    m_collapsing = true;
    if (immediate) {
        SetHeight(0);
        m_collapsing = false;
        m_expanded = false;
    } else if (m_host) {
        m_host->AnimationWanted(m_series);
    }
}

bool CGridCellSeries::WantsStep() const {
    return m_expanding || m_collapsing || (m_expanded && m_required > 0 && m_height != m_required);
}

bool CGridCellSeries::Step() {
    if (m_expanding) {
        const int next = m_height + kAnimationStep;
        if (next >= m_required) {
            SetHeight(m_required);
            m_expanding = false;
            m_expanded = true;
        } else {
            SetHeight(next);
        }
    } else if (m_collapsing) {
        const int next = m_height - kAnimationStep;
        if (next <= 2) {
            SetHeight(0);
            m_collapsing = false;
            m_expanded = false;
        } else {
            SetHeight(next);
        }
    } else if (m_expanded && m_required > 0 && m_height != m_required) {
        // Settling after the columns changed: a few pixels at a time.
        const int delta = std::clamp(m_required - m_height, -kSettleStep, kSettleStep);
        SetHeight(m_height + delta);
    }
    return WantsStep();
}

void CGridCellSeries::Draw(QPainter& painter, const QRect& rect, const TCellDrawState& state) {
    if (!state.printing) painter.fillRect(rect, Background());
    if (!m_host) return;
    m_areas.Clear();
    m_tips.clear();
    painter.save();
    painter.translate(rect.topLeft());
    painter.setBackgroundMode(Qt::TransparentMode);
    CSeriesDetailPainter detail(&painter, m_host->DetailFont(), m_host->Data(), m_series,
                                m_host->Statistics(m_series), m_host->FormatState(), m_hovered, &m_areas,
                                &m_tips);
    const int required = CSeriesDetailPainter::RequiredHeight(detail.Layout(rect.width()));
    painter.restore();
    if (state.offscreen) return;
    // The content decides the height; a change (other column widths, a new
    // comment) lets the row follow it.
    m_required = required;
    if (WantsStep()) m_host->AnimationWanted(m_series);
}

QString CGridCellSeries::ExportText() const {
    if (!m_host) return QString();
    return SeriesText::ToQ(m_host->Table().DetailExportText(m_host->Data(), m_series));
}

bool CGridCellSeries::OnMouseMove(const QPoint& local) {
    const auto hit = m_areas.HitTest(local);
    const int id = hit ? hit->id : 0;
    const bool changed = id != m_hovered;
    m_hovered = id;
    return changed;
}

bool CGridCellSeries::OnMouseLeave() {
    const bool changed = m_hovered != 0;
    m_hovered = 0;
    return changed;
}

bool CGridCellSeries::OnClick(const QPoint& local) {
    const auto hit = m_areas.HitTest(local);
    if (!hit) {
        m_clicked = {};
        return false;
    }
    m_clicked = *hit;
    m_clickPoint = local;
    return true;
}

TGridTooltip CGridCellSeries::TooltipAt(const QPoint& local) const {
    for (const TDetailTip& tip : m_tips)
        if (tip.rect.contains(local)) return {tip.title, tip.body};
    return {};
}
