#include "views/TabGrid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QVBoxLayout>

#include "doc/HammerDoc.h"
#include "settings/AppSettings.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"
#include "views/SeriesTableModel.h"

CTabGrid::CTabGrid(SViewContext context, QWidget* parent)
    : CTabPage(context, parent),
      m_view(new QTableView(this)),
      m_model(new CSeriesTableModel(context.doc, this)) {
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    // Fixed row heights keep a table of many thousand series quick to lay out.
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 8);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_view->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit commandStateChanged(); });
    m_model->Rebuild(m_ctx.settings.DTFormat());
}

QString CTabGrid::Caption() const {
    return UiText::Get(Ids::kTabSeries);
}

void CTabGrid::Refresh() {
    m_model->Rebuild(m_ctx.settings.DTFormat());
    m_view->resizeColumnsToContents();
    emit commandStateChanged();
}

void CTabGrid::DocChanged(int index) {
    if (index >= 0 && index < m_model->rowCount()) {
        m_model->SeriesChanged(index);
        return;
    }
    m_model->Rebuild(m_ctx.settings.DTFormat());
    m_view->resizeColumnsToContents();
}

std::vector<std::uint8_t> CTabGrid::Selection() const {
    std::vector<std::uint8_t> selection(static_cast<std::size_t>(m_ctx.doc.WorkingData().GetCount()), 0);
    for (const QModelIndex& row : m_view->selectionModel()->selectedRows()) {
        if (row.row() >= 0 && static_cast<std::size_t>(row.row()) < selection.size())
            selection[static_cast<std::size_t>(row.row())] = 1;
    }
    return selection;
}

bool CTabGrid::HasSelection() const {
    return m_view->selectionModel()->hasSelection() && m_ctx.doc.WorkingData().HasSeries();
}

long CTabGrid::OnPageRequest(EPageRequest request, QString* text) {
    CHammerDoc& doc = m_ctx.doc;
    switch (request) {
        case kViewCanCopy:
        case kViewCanCut:
        case kViewCanDelete:
            return HasSelection() ? 1 : 0;
        case kViewCanCopyPicture:
            // Pictures of the table come with the owner-drawn grid.
            return 0;
        case kViewCanPaste: {
            if (m_ctx.clipboard == nullptr) return 0;
            const auto payload = m_ctx.clipboard->GetData(Doc::kClipboardFormatName);
            return payload && !payload->empty() ? 1 : 0;
        }
        case kViewCanSelectAll:
            return doc.WorkingData().HasSeries() ? 1 : 0;
        case kViewCopy:
        case kViewCut: {
            const auto selection = Selection();
            std::vector<Report::TRowSelection> rows;
            for (std::size_t i = 0; i < selection.size(); ++i)
                if (selection[i]) rows.push_back({static_cast<int>(i), true, false});
            const std::u16string clip = m_model->Table().ClipboardText(doc.WorkingData(), rows);
            const bool ok =
                request == kViewCopy ? doc.CopySelected(selection, clip) : doc.CutSelected(selection, clip);
            emit commandStateChanged();
            return ok ? 1 : 0;
        }
        case kViewPaste:
            return doc.Paste() ? 1 : 0;
        case kViewDelete:
            return doc.DeleteSelected(Selection()) ? 1 : 0;
        case kViewSelectAll:
            m_view->selectAll();
            return 1;
        case kViewCreateOneSeries:
            return doc.MergeSelected(Selection()) ? 1 : 0;
        case kViewExportText:
            if (text) *text = UiText::ToQ(m_model->Table().ExportText(doc.WorkingData()));
            return 1;
        case kViewPrint: {
            PrintTable(UiText::Get(Ids::kTabSeries),
                       UiText::ToQ(m_model->Table().ExportText(doc.WorkingData())));
            return 1;
        }
        default:
            return 0;
    }
}
