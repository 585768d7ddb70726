// The curve dialogs as a user works them: typing a name, entering a curve in a
// unit, Create with its checks, viewing a stored curve and the library list.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>
#include <cstdio>
#include <sstream>

#include "GuiTestSupport.h"
#include "text/StringTable.h"
#include "tools/CurveCreation.h"
#include "tools/curves/CreateCurveDlg.h"
#include "tools/curves/CurveLibraryDlg.h"
#include "tools/curves/CurvePlot.h"
#include "tools/curves/UploadCurveDlg.h"
#include "ui/CommandIds.h"

namespace {

using namespace GuiTest;

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A curve as a user enters it; empty texts leave the field as it is.
struct SEntry {
    const char* name = "Curve 1";
    bool exponential = false;
    const char* a = "0";
    const char* b = "0";
    const char* c = "1";
    const char* d = "0";
    const char* qMin = "10";
    const char* qMax = "90";
    int unitClicks = 0;  // clicks on the unit label before the coefficients are typed
    int hammerType = 0;
};

class CurveDialogs : public CGuiTest {
  protected:
    CMainFrame& Frame() {
        if (!m_frame) m_frame = &Start();
        return *m_frame;
    }

    static void ClickUnitLabel(CCreateCurveDlg& dlg) {
        dlg.Plot()->repaint();
        QTest::mouseClick(dlg.Plot(), Qt::LeftButton, Qt::NoModifier, dlg.UnitLabelRect().center());
    }

    // Types the entry and leaves each field as the Tab key would.
    static void Enter(CCreateCurveDlg& dlg, const SEntry& e) {
        dlg.NameEdit()->setText(QString::fromLatin1(e.name));
        (e.exponential ? dlg.ExponentialButton() : dlg.PolynomialButton())->click();
        for (int i = 0; i < e.unitClicks; ++i) ClickUnitLabel(dlg);
        const char* values[] = {e.a, e.b, e.c, e.d};
        for (int i = 0; i < 4; ++i) {
            QLineEdit* edit = dlg.CoefficientEdit(i);
            edit->setFocus();
            edit->setText(QString::fromLatin1(values[i]));
            QTest::keyClick(edit, Qt::Key_Tab);
        }
        // Both ends typed before either field is left: normalising after the
        // minimum alone would already move it.
        dlg.MaximumEdit()->setFocus();
        dlg.MinimumEdit()->setText(QString::fromLatin1(e.qMin));
        dlg.MaximumEdit()->setText(QString::fromLatin1(e.qMax));
        QTest::keyClick(dlg.MaximumEdit(), Qt::Key_Tab);
        dlg.HammerTypeList()->setCurrentIndex(e.hammerType);
    }

    std::unique_ptr<CCreateCurveDlg> Open() {
        auto dlg = std::make_unique<CCreateCurveDlg>(Frame().Doc(), m_prompt, &Frame());
        dlg->show();
        dlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        return dlg;
    }

    CMainFrame* m_frame = nullptr;
};

TEST_F(CurveDialogs, NameIsFilteredWhileTypingWithTheCaretKept) {
    struct SCase {
        const char* start;
        int caret;
        const char* typed;
        const char* text;
        int caretAfter;
        unsigned tip;
    };
    const SCase cases[] = {
        {"", 0, "Curve 1", "Curve 1", 7, 0},              // a blank is a letter of names
        {"Curve1", 3, "/", "Curve1", 3, 59539},           // removed at once, caret stays
        {"Curve1", 2, "x/y", "Cuxyrve1", 4, 0},           // a kept letter takes the tip away
        {"ABCDEFGHIJ", 10, "K", "ABCDEFGHIJK", 11, 59540},  // the eleventh is kept, with a tip
        {"AB", 1, "_#%-.", "A_#%-.B", 6, 0},
    };
    auto dlg = Open();
    for (const SCase& c : cases) {
        dlg->NameEdit()->setFocus();
        dlg->NameEdit()->setText(QString::fromLatin1(c.start));
        dlg->NameEdit()->setCursorPosition(c.caret);
        QTest::keyClicks(dlg->NameEdit(), QString::fromLatin1(c.typed));
        EXPECT_EQ(dlg->NameEdit()->text(), QString::fromLatin1(c.text)) << c.typed;
        EXPECT_EQ(dlg->NameEdit()->cursorPosition(), c.caretAfter) << c.typed;
        QLabel* tip = dlg->Tip();
        EXPECT_EQ(tip ? tip->property("textId").toUInt() : 0u, c.tip) << c.typed;
        if (tip) {
            EXPECT_TRUE(tip->isVisible());
            EXPECT_EQ(tip->text().toStdU16String(), Text::LoadString(c.tip));
        }
    }
    // The next click in the dialog takes the tip away.
    QTest::keyClicks(dlg->NameEdit(), QStringLiteral("/"));
    ASSERT_NE(dlg->Tip(), nullptr);
    QTest::mouseClick(dlg->Plot(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(dlg->Tip(), nullptr);
    EXPECT_TRUE(m_prompt.shown.empty());
}

TEST_F(CurveDialogs, CreateChecksInOrderAndStoresOnlyAPassingCurve) {
    struct SCase {
        const char* what;
        SEntry entry;
        unsigned message;
    };
    SEntry blankName;
    blankName.name = "   ";
    SEntry eleven;
    eleven.name = "ABCDEFGHIJK";
    SEntry overTheTop;
    overTheTop.qMin = "95";
    overTheTop.qMax = "105";
    SEntry flat;
    flat.c = "0";
    SEntry negative;
    negative.d = "-20";
    SEntry exponentialFlat;
    exponentialFlat.exponential = true;
    exponentialFlat.a = "1";
    exponentialFlat.b = "0";
    SEntry kg3000;  // 3000 kg/cm² at Q 90: about 294 N/mm²
    kg3000.unitClicks = 1;
    kg3000.c = "33.333333";
    SEntry kg3100 = kg3000;  // about 304 N/mm²
    kg3100.c = "34.444444";
    const SCase cases[] = {
        {"blank name", blankName, 59524},       {"eleven letters", eleven, 59531},
        {"95 to 105", overTheTop, 59525},       {"negative start", negative, 59526},
        {"c = 0", flat, 59527},                 {"exponential b = 0", exponentialFlat, 59527},
        {"3100 kg/cm2", kg3100, 59554},         {"3000 kg/cm2", kg3000, 59528},
    };
    for (const SCase& c : cases) {
        m_prompt.shown.clear();
        auto dlg = Open();
        Enter(*dlg, c.entry);
        dlg->CreateButton()->click();
        EXPECT_EQ(m_prompt.ShownIds(), std::vector<unsigned>{c.message}) << c.what;
        EXPECT_EQ(dlg->isVisible(), c.message != 59528) << c.what;
        if (c.message == 59525) {
            EXPECT_EQ(dlg->MinimumEdit()->text(), QStringLiteral("95"));
            EXPECT_EQ(dlg->MaximumEdit()->text(), QStringLiteral("100"));
        }
    }
    // Only the passing curve reached the library, entered in kg/cm² and kept in N/mm².
    const auto& curves = Frame().Doc().CurveLibrary();
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_EQ(curves[0].Name8(), "Curve 1");
    EXPECT_EQ(curves[0].Flags, 0x01 | 0x10);
    EXPECT_EQ(curves[0].C, static_cast<float>(33.333333 * 0.09806805923310778));
    EXPECT_TRUE(fs::exists(m_dir / "curves" / "Curve 1.zvc"));
}

// The dialog and the command line make one curve of one input, to the byte.
TEST_F(CurveDialogs, StoredFileIsWhatTheCommandLineWrites) {
    SEntry e;
    e.name = "Lab #7";
    e.unitClicks = 2;  // PSI
    e.b = "0.5";
    e.c = "20";
    e.d = "100";
    e.qMin = "20";
    e.qMax = "60";
    e.hammerType = 1;
    auto dlg = Open();
    Enter(*dlg, e);
    ASSERT_EQ(dlg->DisplayUnit(), kUnitPSI);
    dlg->CreateButton()->click();
    ASSERT_EQ(m_prompt.ShownIds(), std::vector<unsigned>{59528});
    const std::string fromDialog = ReadBytes(m_dir / "curves" / "Lab #7.zvc");
    ASSERT_FALSE(fromDialog.empty());

    const fs::path cliFolder = m_dir / "cli-curves";
    const std::string command = std::string("BRELVANTOR_CURVES='") + cliFolder.string() + "' '" + BRELVANTOR_CLI +
                                "' curves create 'Lab #7' --unit psi --b 0.5 --c 20 --d 100 --qmin 20 --qmax 60 "
                                "--type L > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadBytes(cliFolder / "Lab #7.zvc"), fromDialog);
}

TEST_F(CurveDialogs, ViewShowsTheCurveInItsUnitOfEntryAndNothingCanChange) {
    struct SCase {
        Tools::TNewCurveInput input;
        const char* shown[4];
        int hammerType;
    };
    Tools::TNewCurveInput psi;
    psi.name = u"In PSI";
    psi.unit = kUnitPSI;
    psi.b = 0.002;
    psi.c = 10;
    psi.d = 50;
    psi.typeN = false;
    Tools::TNewCurveInput kgExp;
    kgExp.name = u"Exp kg";
    kgExp.kind = kCurveExponential;
    kgExp.unit = kUnitKgCm2;
    kgExp.a = 20;
    kgExp.b = 0.05;
    const SCase cases[] = {{psi, {"0.000000", "0.002000", "10.000000", "50.000000"}, 1},
                           {kgExp, {"20.000000", "0.050000", nullptr, nullptr}, 0}};
    for (const SCase& c : cases) {
        const Tools::TNewCurveCheck check = Tools::CheckNewCurve(c.input);
        ASSERT_TRUE(check.Passed()) << check.messageId;
        ASSERT_TRUE(Frame().Doc().SaveCurveFile(check.curve));
        const auto& curves = Frame().Doc().CurveLibrary();
        int position = -1;
        for (std::size_t i = 0; i < curves.size(); ++i)
            if (curves[i].Name() == c.input.name) position = static_cast<int>(i);
        ASSERT_GE(position, 0);

        CCreateCurveDlg view(Frame().Doc(), m_prompt, position, &Frame());
        view.show();
        QTest::qWait(20);
        EXPECT_EQ(view.windowTitle().toStdU16String(), Text::LoadString(59552));
        EXPECT_EQ(view.DisplayUnit(), c.input.unit);
        EXPECT_EQ(view.NameEdit()->text().toStdU16String(), c.input.name);
        for (int i = 0; i < 4; ++i) {
            EXPECT_FALSE(view.CoefficientEdit(i)->isEnabled());
            EXPECT_EQ(view.CoefficientEdit(i)->isVisible(), c.shown[i] != nullptr) << i;
            if (c.shown[i]) {
                EXPECT_EQ(view.CoefficientEdit(i)->text(), QString::fromLatin1(c.shown[i])) << i;
            }
        }
        for (QWidget* input : std::initializer_list<QWidget*>{view.NameEdit(), view.PolynomialButton(),
                                                              view.ExponentialButton(), view.MinimumEdit(),
                                                              view.MaximumEdit(), view.HammerTypeList()})
            EXPECT_FALSE(input->isEnabled());
        EXPECT_FALSE(view.CreateButton()->isVisible());
        EXPECT_EQ(view.HammerTypeList()->currentIndex(), c.hammerType);
        EXPECT_FALSE(view.IsEdited());
        view.BackButton()->click();
        EXPECT_TRUE(m_prompt.shown.empty());  // nothing was edited, nothing is asked
    }
}

TEST_F(CurveDialogs, UnitLabelCyclesAndConvertsTheCoefficients) {
    auto dlg = Open();
    SEntry e;
    e.a = "0.0001";
    e.c = "2";
    e.d = "1";
    Enter(*dlg, e);
    struct SStep {
        std::uint8_t unit;
        const char* a;
        const char* c;
    };
    // N/mm² -> kg/cm² -> PSI -> MPa -> N/mm², by the factors of each step.
    const SStep steps[] = {{kUnitKgCm2, "0.001020", "20.394000"},
                           {kUnitPSI, "0.014504", "290.074000"},
                           {kUnitMPa, "0.000100", "2.000000"},
                           {kUnitNmm2, "0.000100", "2.000000"}};
    for (const SStep& s : steps) {
        ClickUnitLabel(*dlg);
        EXPECT_EQ(dlg->DisplayUnit(), s.unit);
        EXPECT_EQ(dlg->CoefficientEdit(0)->text(), QString::fromLatin1(s.a));
        EXPECT_EQ(dlg->CoefficientEdit(2)->text(), QString::fromLatin1(s.c));
    }
    // The hand and the underline over the label only.
    QTest::mouseMove(dlg->Plot(), dlg->UnitLabelRect().center());
    EXPECT_TRUE(dlg->IsOverUnitLabel());
    EXPECT_EQ(dlg->Plot()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(dlg->Plot(), QPoint(dlg->Plot()->width() / 2, dlg->Plot()->height() / 2));
    EXPECT_FALSE(dlg->IsOverUnitLabel());
    EXPECT_EQ(dlg->Plot()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(CurveDialogs, EnterMovesOnAndBackAsksOnlyAfterAnEdit) {
    auto dlg = Open();
    dlg->NameEdit()->setFocus();
    QTest::keyClick(dlg->NameEdit(), Qt::Key_Return);
    EXPECT_NE(QApplication::focusWidget(), dlg->NameEdit());
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(m_prompt.shown.empty());
    // Exponential: the c and d rows go, and the formula says so.
    dlg->ExponentialButton()->click();
    EXPECT_FALSE(dlg->CoefficientEdit(2)->isVisible());
    EXPECT_FALSE(dlg->CoefficientLabel(3)->isVisible());
    EXPECT_EQ(dlg->FormulaBox()->title(), QStringLiteral("fck = a * e^(Qb)"));
    dlg->PolynomialButton()->click();
    EXPECT_TRUE(dlg->CoefficientEdit(3)->isVisible());

    dlg->CoefficientEdit(1)->setFocus();
    dlg->CoefficientEdit(1)->setText(QStringLiteral("0.5"));
    QTest::keyClick(dlg->CoefficientEdit(1), Qt::Key_Enter);
    EXPECT_TRUE(dlg->IsEdited());
    m_prompt.answers = {Text::MsgResult::No};
    dlg->BackButton()->click();
    EXPECT_EQ(m_prompt.ShownIds(), std::vector<unsigned>{59532});
    EXPECT_TRUE(dlg->isVisible());
    m_prompt.answers = {Text::MsgResult::Yes};
    dlg->BackButton()->click();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);

    // Enter on Create is Create.
    auto again = Open();
    again->NameEdit()->setText(QStringLiteral("Enter"));
    again->CoefficientEdit(2)->setText(QStringLiteral("1"));
    again->CreateButton()->setFocus();
    m_prompt.shown.clear();
    QTest::keyClick(again->CreateButton(), Qt::Key_Return);
    EXPECT_EQ(m_prompt.ShownIds(), std::vector<unsigned>{59528});
}

TEST_F(CurveDialogs, LibraryListsByNameAndDeleteRemovesTheFile) {
    CMainFrame& frame = Frame();
    CUploadUserCurve empty(frame.Doc(), m_prompt, [](QWidget*, int) {}, &frame);
    EXPECT_EQ(empty.List()->count(), 0);
    EXPECT_FALSE(empty.SaveOnHammerButton()->isEnabled());
    EXPECT_FALSE(empty.ViewButton()->isEnabled());
    EXPECT_FALSE(empty.DeleteButton()->isEnabled());
    EXPECT_TRUE(empty.CreateButton()->isEnabled());

    for (const char16_t* name : {u"beta", u"Alpha", u"alpha"}) {
        Tools::TNewCurveInput in;
        in.name = name;
        in.c = 1;
        ASSERT_TRUE(frame.Doc().SaveCurveFile(Tools::CheckNewCurve(in).curve));
    }
    int uploaded = -1;
    CUploadUserCurve library(frame.Doc(), m_prompt, [&](QWidget*, int position) { uploaded = position; }, &frame);
    QStringList names;
    for (int i = 0; i < library.List()->count(); ++i) names << library.List()->itemText(i);
    EXPECT_EQ(names, (QStringList{QStringLiteral("Alpha"), QStringLiteral("alpha"), QStringLiteral("beta")}));
    EXPECT_TRUE(library.SaveOnHammerButton()->isEnabled());
    library.SaveOnHammerButton()->click();
    ASSERT_GE(uploaded, 0);
    EXPECT_EQ(frame.Doc().CurveLibrary()[static_cast<std::size_t>(uploaded)].Name8(), "Alpha");

    library.List()->setCurrentIndex(1);
    m_prompt.answers = {Text::MsgResult::No};
    library.DeleteButton()->click();
    EXPECT_TRUE(fs::exists(m_dir / "curves" / "alpha.zvc"));
    m_prompt.answers = {Text::MsgResult::Yes};
    library.DeleteButton()->click();
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59553, 59553}));
    EXPECT_FALSE(fs::exists(m_dir / "curves" / "alpha.zvc"));
    names.clear();
    for (int i = 0; i < library.List()->count(); ++i) names << library.List()->itemText(i);
    EXPECT_EQ(names, (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta")}));
    EXPECT_EQ(library.List()->currentIndex(), 0);
}

TEST_F(CurveDialogs, CustomCurvesCommandOpensTheLibrary) {
    CMainFrame& frame = Frame();
    ASSERT_TRUE(frame.Action(Cmd::kCustomCurves)->isEnabled());
    QString opened;
    WhenModal([&](QWidget* modal) {
        opened = modal->objectName();
        static_cast<QDialog*>(modal)->reject();
    });
    frame.Action(Cmd::kCustomCurves)->trigger();
    EXPECT_EQ(opened, QStringLiteral("curveLibraryDialog"));
}

// "Save on Talvenbrecker..." puts the selected library curve up for the
// hammer's slots, read afresh from the simulated hammer.
TEST_F(CurveDialogs, SaveOnTalvenbreckerOffersTheSelectedCurveForTheSlots) {
    CSimLine line(LoadState("new-format-L.json"));
    UsePort(line);
    CMainFrame& frame = Frame();
    SWizardScript wizard;
    frame.Connection().SetWizardRunner(std::ref(wizard));
    for (const char16_t* name : {u"First", u"Second"}) {
        Tools::TNewCurveInput in;
        in.name = name;
        in.c = 1;
        in.typeN = false;
        ASSERT_TRUE(frame.Doc().SaveCurveFile(Tools::CheckNewCurve(in).curve));
    }
    QString offered;
    bool slotsRead = false;
    WhenModal([&](QWidget* modal) {
        auto* library = qobject_cast<CUploadUserCurve*>(modal);
        ASSERT_NE(library, nullptr);
        library->List()->setCurrentIndex(1);
        auto* timer = new QTimer(library);
        QObject::connect(timer, &QTimer::timeout, [&, timer] {
            auto* upload = qobject_cast<CUploadCurveDlg*>(QApplication::activeModalWidget());
            if (upload == nullptr || !upload->isVisible()) return;
            timer->stop();
            offered = upload->CurveList()->currentText();
            slotsRead = !upload->SlotContent(0)->text().isEmpty();
            upload->reject();
            library->reject();
        });
        timer->start(5);
        library->SaveOnHammerButton()->click();
    });
    frame.Action(Cmd::kCustomCurves)->trigger();
    EXPECT_EQ(offered, QStringLiteral("Second"));
    EXPECT_TRUE(slotsRead);
}

}  // namespace
