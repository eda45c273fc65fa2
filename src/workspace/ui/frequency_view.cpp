#include "workspace/ui/frequency_view.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/qt_report_list.h"
#include "workspace/export/coword_network.h"
#include "workspace/export/frequency_files.h"
#include "workspace/export/network_files.h"
#include "workspace/export/tweet_frequencies.h"

namespace marlin {
namespace {

// The kinds in the order of the chooser; the last entry is the per-interval summary.
constexpr TweetFrequencies::Kind kKinds[] = {
    TweetFrequencies::Kind::Hashtags, TweetFrequencies::Kind::Mentions, TweetFrequencies::Kind::Authors,
    TweetFrequencies::Kind::Domains, TweetFrequencies::Kind::Words};
constexpr int kKindCount = static_cast<int>(std::size(kKinds));
constexpr TweetFrequencies::Interval kIntervals[] = {
    TweetFrequencies::Interval::Whole, TweetFrequencies::Interval::Hour, TweetFrequencies::Interval::Day,
    TweetFrequencies::Interval::Week};

// Room a cell's text needs beside it: the item's margins and the header's sort arrow.
constexpr int kCellPadding = 28;

}  // namespace

FrequencyView::FrequencyView(const ReportList& tweets, QWidget* parent) : QWidget(parent), m_tweets(tweets) {
    m_kind = new QComboBox(this);
    m_kind->setObjectName("FrequencyKind");
    m_kind->addItems({tr("Hashtags"), tr("Mentioned users"), tr("Posting users"), tr("Link domains"),
                      tr("Words"), tr("Per interval")});
    m_interval = new QComboBox(this);
    m_interval->setObjectName("FrequencyInterval");
    m_interval->addItems({tr("Whole table"), tr("Per hour"), tr("Per day"), tr("Per week")});
    auto* count = new QPushButton(tr("Count"), this);
    count->setObjectName("FrequencyCount");
    auto* save = new QPushButton(tr("Save As…"), this);
    save->setObjectName("FrequencySave");
    auto* coword = new QPushButton(tr("Save Co-word Network…"), this);
    coword->setObjectName("FrequencyCoword");
    m_note = new QLabel(this);
    m_note->setObjectName("FrequencyNote");

    auto* view = m_view = new QTableView(this);
    view->setObjectName("FrequencyTable");
    view->setAlternatingRowColors(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setWordWrap(false);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setSectionsClickable(true);
    view->setMinimumHeight(view->verticalHeader()->defaultSectionSize() * 3);
    new QtReportList(m_table, view);
    m_table.SetColumnClickAction([this](int position) { m_table.SetSortKeyOrReverse(position); });

    auto* controls = new QHBoxLayout;
    controls->addWidget(m_kind);
    controls->addWidget(m_interval);
    controls->addWidget(count);
    controls->addWidget(save);
    controls->addStretch(1);
    // A second row, so the tab asks no more width of the window than it did.
    auto* more = new QHBoxLayout;
    more->addWidget(coword);
    more->addWidget(m_note, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(more);
    layout->addWidget(view, 1);

    connect(count, &QPushButton::clicked, this, &FrequencyView::Count);
    connect(save, &QPushButton::clicked, this, &FrequencyView::SaveAs);
    connect(coword, &QPushButton::clicked, this, &FrequencyView::SaveCowordAs);
    connect(m_kind, &QComboBox::currentIndexChanged, this, &FrequencyView::Count);
    connect(m_interval, &QComboBox::currentIndexChanged, this, &FrequencyView::Count);
}

void FrequencyView::Count() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto interval = kIntervals[std::max(0, m_interval->currentIndex())];
    const int kind = m_kind->currentIndex();
    const bool words = kind >= 0 && kind < kKindCount && kKinds[kind] == TweetFrequencies::Kind::Words;
    const TweetFrequencies frequencies = TweetFrequencies::FromTable(m_tweets, interval, {words, nullptr});
    m_table.SetSorted(false);
    if (kind >= 0 && kind < kKindCount)
        FrequencyFiles::FillItems(m_table, frequencies.Top(kKinds[kind], kTop));
    else
        FrequencyFiles::FillSummary(m_table, frequencies);
    FitIntervals();
    m_note->setText(frequencies.Undated() > 0
                        ? tr("%n row(s) without a date left out", "", frequencies.Undated())
                        : QString());
    QApplication::restoreOverrideCursor();
}

void FrequencyView::FitIntervals() {
    // "2026-12-07 13:00" and "2026-12-07" must be told apart: the interval column takes the
    // width of its widest text, whatever the list's usual width.
    const QFontMetrics metrics(m_view->font());
    int widest = metrics.horizontalAdvance(QString::fromStdString(m_table.Column(0).header));
    for (int row = 0; row < m_table.RowCount(); ++row)
        widest = std::max(
            widest, metrics.horizontalAdvance(QString::fromStdString(std::string(m_table.Cell(row, 0)))));
    m_table.SetColumnWidth(0, QtReportList::PixelsToTwips(widest + kCellPadding, m_view));
}

bool FrequencyView::SaveTo(const QString& fileName) {
    const std::string sheet = m_kind->currentText().toStdString();
    return FrequencyFiles::SaveTable(fileName.toStdString(), m_table, sheet);
}

void FrequencyView::SaveAs() {
    QString selected;
    const QString fileName =
        QFileDialog::getSaveFileName(this, tr("Save Frequencies As"), QStringLiteral("frequencies.csv"),
                                     tr("CSV (*.csv);;Excel Workbook (*.xlsx)"), &selected);
    if (fileName.isEmpty()) return;
    QString target = fileName;
    if (!target.endsWith(".csv", Qt::CaseInsensitive) && !target.endsWith(".xlsx", Qt::CaseInsensitive))
        target += selected.contains("xlsx") ? ".xlsx" : ".csv";
    if (!SaveTo(target))
        QMessageBox::warning(this, tr("File Save Error"),
                             tr("Couldn't save: %1 -- The file could not be written.").arg(target));
}

}  // namespace marlin

namespace marlin {

bool FrequencyView::SaveCowordTo(const QString& fileName) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = NetworkFiles::Write(fileName.toStdString(), CowordNetwork::FromTweets(m_tweets));
    QApplication::restoreOverrideCursor();
    return written;
}

void FrequencyView::SaveCowordAs() {
    const QString fileName =
        QFileDialog::getSaveFileName(this, tr("Save Co-word Network As"), QStringLiteral("coword.graphml"),
                                     tr("GraphML (*.graphml);;Excel Workbook (*.xlsx)"));
    if (fileName.isEmpty()) return;
    if (!SaveCowordTo(fileName))
        QMessageBox::warning(this, tr("File Save Error"),
                             tr("Couldn't save: %1 -- The file could not be written.").arg(fileName));
}

}  // namespace marlin
