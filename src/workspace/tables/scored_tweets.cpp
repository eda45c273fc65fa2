#include "workspace/tables/scored_tweets.h"

namespace marlin {

std::string ScoredTweets::FailureLine(const MarlinData& data) {
    std::string reason = data.LastScorerError();
    if (reason.empty()) reason = "Sentiment scorer did not run";
    return reason + "; Sent+ and Sent- hold 0 for these tweets, not scores";
}

std::string ScoredTweets::Score(const TweetSet& tweets, MarlinData& data,
                                const std::filesystem::path& scorerFolder) {
    data.SetData(tweets);
    const std::string folder = scorerFolder.string();
    return data.RunSentiStrength(folder, folder, false) ? std::string() : FailureLine(data);
}

void ScoredTweets::Add(const MarlinData& data, TweetTable& table, bool append) {
    ReportList& rows = table.Rows();
    rows.SetSortKey(TweetColumn::TweetID);
    rows.BeginUpdate();
    if (!append) rows.ClearRows();
    // Every record of the capture goes in, the last one included: an update's set holds
    // only tweets newer than the table's newest, so none can double a row.
    for (int record = 1; record <= data.RecordCount(); ++record) table.AddRecord(data, record, false);
    rows.EndUpdate();
}

}  // namespace marlin
