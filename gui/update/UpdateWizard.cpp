#include "update/UpdateWizard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "text/UserPrompt.h"
#include "ui/UiText.h"
#include "update/UpdateNames.h"
#include "update/UpdateServerSession.h"
#include "update/UpdateStrings.h"

namespace {

constexpr unsigned kIdPageDownload = 22000;  // "Downloading..."
constexpr unsigned kIdPageSearch = 22001;    // "Searching for updates..."
constexpr unsigned kIdLineState = 22003;
constexpr unsigned kIdConnecting = 22005;
constexpr unsigned kIdLineResult = 22006;
constexpr unsigned kIdNoUpdate = 22007;
constexpr unsigned kIdLineCount = 22015;
constexpr unsigned kIdBar = 22008;
constexpr unsigned kIdFound = 22009;
constexpr unsigned kIdDownloading = 22010;
constexpr unsigned kIdLineDownloading = 22011;
constexpr unsigned kIdLineSearchFor = 22013;
constexpr unsigned kIdMbDownloaded = 22017;
constexpr unsigned kIdReceiving = 22019;
constexpr unsigned kIdSearchingFor = 22020;
constexpr unsigned kIdNext = 22021;
constexpr unsigned kIdBack = 22022;
constexpr unsigned kIdCancel = 22023;
constexpr unsigned kIdFinish = 22024;

QString Q(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

CUpdateWizard::CUpdateWizard(SUpdateWizardContext context, QWidget* parent)
    : QDialog(parent), m_ctx(std::move(context)) {
    setObjectName(QStringLiteral("updateWizard"));
    setWindowTitle(UiText::Get(Update::kIdWizardTitle));
    auto* layout = new QVBoxLayout(this);
    m_pages = new QStackedWidget(this);
    layout->addWidget(m_pages);

    auto* search = new QWidget(m_pages);
    search->setObjectName(QStringLiteral("page%1").arg(kIdPageSearch));
    search->setWindowTitle(UiText::Get(kIdPageSearch));
    auto* sl = new QVBoxLayout(search);
    auto line = [](QWidget* page, QVBoxLayout* l, unsigned id) {
        auto* label = new QLabel(page);
        label->setObjectName(QStringLiteral("line%1").arg(id));
        label->setWordWrap(true);
        l->addWidget(label);
        return label;
    };
    m_searchFor = line(search, sl, kIdLineSearchFor);
    m_searchState = line(search, sl, kIdLineState);
    m_searchResult = line(search, sl, kIdLineResult);
    sl->addStretch();
    m_pages->addWidget(search);

    auto* download = new QWidget(m_pages);
    download->setObjectName(QStringLiteral("page%1").arg(kIdPageDownload));
    download->setWindowTitle(UiText::Get(kIdPageDownload));
    auto* dl = new QVBoxLayout(download);
    m_downloading = line(download, dl, kIdLineDownloading);
    m_bar = new QProgressBar(download);
    m_bar->setObjectName(QStringLiteral("bar%1").arg(kIdBar));
    m_bar->setRange(0, 100);
    dl->addWidget(m_bar);
    m_count = line(download, dl, kIdLineCount);
    dl->addStretch();
    m_pages->addWidget(download);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    m_back = new QPushButton(UiText::Get(kIdBack), this);
    m_next = new QPushButton(UiText::Get(kIdNext), this);
    m_finish = new QPushButton(UiText::Get(kIdFinish), this);
    m_cancel = new QPushButton(UiText::Get(kIdCancel), this);
    for (QPushButton* b : {m_back, m_next, m_finish, m_cancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    // Every button waits until a page enables it.
    EnableOnly({});

    connect(m_next, &QPushButton::clicked, this, &CUpdateWizard::StartDownloadPage);
    connect(m_finish, &QPushButton::clicked, this, [this] {
        m_ctx.session.Close();
        done(m_started ? QDialog::Accepted : QDialog::Rejected);
    });
    connect(m_cancel, &QPushButton::clicked, this, &CUpdateWizard::reject);
    m_step.setInterval(0);
    connect(&m_step, &QTimer::timeout, this, &CUpdateWizard::Transfer);
}

CUpdateWizard::~CUpdateWizard() {
    m_step.stop();
    m_download.reset();
    m_ctx.session.Close();
}

QLabel* CUpdateWizard::Line(unsigned id) const {
    return findChild<QLabel*>(QStringLiteral("line%1").arg(id));
}

bool CUpdateWizard::OnDownloadPage() const {
    return m_pages->currentIndex() == 1;
}

void CUpdateWizard::EnableOnly(std::initializer_list<QPushButton*> enabled) {
    for (QPushButton* b : {m_back, m_next, m_finish, m_cancel})
        b->setEnabled(std::find(enabled.begin(), enabled.end(), b) != enabled.end());
}

void CUpdateWizard::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_searched) QTimer::singleShot(0, this, &CUpdateWizard::Search);
}

void CUpdateWizard::Search() {
    if (m_searched) return;
    m_searched = true;
    m_pages->setCurrentIndex(0);
    m_searchFor->setText(UiText::Format(kIdSearchingFor, m_ctx.productName));
    m_searchFor->show();
    m_searchState->setText(UiText::Get(kIdConnecting));
    m_searchState->show();
    m_searchResult->hide();
    EnableOnly({});

    m_ctx.session.SetShowErrors(true);
    if (!m_ctx.session.Open(m_ctx.productName)) {
        m_searchFor->hide();
        m_searchState->setText(UiText::ToQ(m_ctx.session.LastError()));
        EnableOnly({m_finish});
        return;
    }
    m_searchState->setText(UiText::Get(kIdReceiving));
    m_searchState->repaint();
    const auto found = Update::FindInstaller(m_ctx.session, m_ctx.current);
    m_searchFor->hide();
    m_searchState->hide();
    if (!found.listed) {
        m_searchState->setText(UiText::ToQ(m_ctx.session.LastError()));
        m_searchState->show();
        EnableOnly({m_finish});
        return;
    }
    m_candidate = found.installer;
    if (m_candidate) {
        m_searchResult->setText(UiText::Format(kIdFound, m_ctx.productName, m_candidate->version.ToString3(),
                                               m_ctx.current.ToString3()));
        EnableOnly({m_next});
    } else {
        m_searchResult->setText(UiText::Format(kIdNoUpdate, m_ctx.productName));
        EnableOnly({m_finish});
    }
    m_searchResult->show();
}

void CUpdateWizard::DownloadFailed(const QString& text, bool finishUsable) {
    m_step.stop();
    m_download.reset();
    m_downloading->setText(text);
    m_count->hide();
    m_bar->hide();
    if (finishUsable)
        EnableOnly({m_finish});
    else
        EnableOnly({m_cancel});
    m_ctx.session.Close();
}

void CUpdateWizard::StartDownloadPage() {
    if (!m_candidate) return;
    m_pages->setCurrentIndex(1);
    EnableOnly({});
    m_downloading->setText(UiText::Format(kIdDownloading, m_candidate->name));
    m_count->show();
    m_bar->show();
    if (!m_ctx.session.IsOpen() && !m_ctx.session.Open(m_ctx.productName)) {
        DownloadFailed(UiText::ToQ(m_ctx.session.LastError()));
        return;
    }
    bool digestOk = true;
    const auto digest = Update::FetchInstallerDigest(m_ctx.session, *m_candidate, digestOk);
    if (!digestOk) {
        DownloadFailed(UiText::ToQ(m_ctx.session.LastError()));
        return;
    }
    // The program's folder first; when it cannot take the file, the user says where.
    m_target = m_ctx.programFolder / m_candidate->name;
    bool localFailed = false;
    const bool show = m_ctx.session.ShowErrors();
    m_ctx.session.SetShowErrors(false);
    m_download =
        m_ctx.session.StartDownload(m_candidate->name, m_candidate->size, m_target, digest, &localFailed);
    m_ctx.session.SetShowErrors(show);
    if (!m_download && localFailed) {
        Text::SFileChoice choice;
        const std::string ext(Update::kInstallerExtension.substr(1));
        choice.filter = UiText::FromQ(QStringLiteral("(*.%1)|*.%1|").arg(Q(ext)));
        choice.defaultExtension = UiText::FromQ(Q(ext));
        choice.suggested = m_candidate->name;
        const auto chosen = m_ctx.prompt.ChooseSaveFile(choice);
        if (!chosen) {
            DownloadFailed(UiText::Format(Update::kIdLocalWriteFailed, m_target.u16string()));
            return;
        }
        m_target = *chosen;
        m_downloading->setText(UiText::Format(kIdDownloading, m_target.u16string()));
        m_download =
            m_ctx.session.StartDownload(m_candidate->name, m_candidate->size, m_target, digest, &localFailed);
        if (!m_download && localFailed) {
            DownloadFailed(UiText::ToQ(m_ctx.session.LastError()), false);
            return;
        }
    }
    if (!m_download) {
        DownloadFailed(UiText::Get(Update::kIdUnknownDownloadError));
        return;
    }
    m_bar->setValue(0);
    m_count->setText(QString::number(0));
    EnableOnly({m_cancel});
    m_step.start();
}

void CUpdateWizard::Transfer() {
    if (!m_download) {
        m_step.stop();
        return;
    }
    const auto state = m_download->Step(Update::CFtpDownload::ChunkSize(m_candidate->size));
    const std::uint64_t received = m_download->Received();
    const std::uint64_t size = m_candidate->size;
    m_bar->setValue(size == 0 ? 100 : static_cast<int>(received * 100 / size));
    char mb[32];
    std::snprintf(mb, sizeof mb, "%0.2f", static_cast<double>(received) / 1048576.0);
    const QString text = UiText::Format(kIdMbDownloaded, std::string(mb));
    if (m_count->text() != text) m_count->setText(text);
    if (state == Update::CFtpDownload::EState::Running) return;
    m_step.stop();
    if (state == Update::CFtpDownload::EState::Failed) {
        DownloadFailed(UiText::ToQ(m_download->FailureText()));
        return;
    }
    m_download.reset();
    m_ctx.session.Close();
    m_started = m_ctx.startInstaller && m_ctx.startInstaller(m_target);
    done(QDialog::Accepted);
}

void CUpdateWizard::reject() {
    // Cancel at any time: the transfer and the connection end with the wizard.
    m_step.stop();
    if (m_download) m_download->Cancel();
    m_download.reset();
    m_ctx.session.Close();
    QDialog::reject();
}
