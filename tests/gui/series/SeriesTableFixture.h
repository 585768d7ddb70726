#pragma once
// The series table's test fixture: a document, a scripted user and the view.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "SeriesTestSupport.h"
#include "ui/grid/GridView.h"
#include "views/series/GridCellDetailGripper.h"
#include "views/series/SeriesView.h"

namespace SeriesTest {

class SeriesTable : public ::testing::Test {
  protected:
    CDocScope scope;
    CScriptedUi ui;
    std::unique_ptr<CSeriesView> view;

    CSeriesView& Open(bool energy = false) {
        view = std::make_unique<CSeriesView>(*scope.doc, energy, 0, &scope.clipboard);
        view->SetUserInterface(&ui);
        view->resize(1500, 800);
        view->show();
        QApplication::processEvents();
        return *view;
    }
    CGridView& Grid() { return *view->Grid(); }
    QString Text(int series, int column) { return Grid().Cell(CSeriesView::MainRow(series), column)->Text(); }
    QString ExportText(int series, int column) {
        return Grid().Cell(CSeriesView::MainRow(series), column)->ExportText();
    }
    std::vector<std::u16string> Names() {
        std::vector<std::u16string> names;
        for (int i = 0; i < scope.Data().GetCount(); ++i) names.push_back(scope.Data().GetName(i));
        return names;
    }
    void Select(std::initializer_list<int> series) {
        std::vector<int> rows;
        for (int s : series) rows.push_back(CSeriesView::MainRow(s));
        Grid().SelectRows(rows, false);
    }
    void ClickHeader(int column) {
        QHeaderView* header = Grid().horizontalHeader();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QApplication::processEvents();  // the refill is posted
    }
    // The gripper as the grid shows it (its row is made when asked for).
    CGridCellDetailGripper* GripperOf(int series) {
        return dynamic_cast<CGridCellDetailGripper*>(Grid().Cell(CSeriesView::MainRow(series), 0));
    }
    void RightClick(int series, int column) {
        view->RightClick(CSeriesView::MainRow(series), column, QPoint(500, 300));
    }
};

}  // namespace SeriesTest
