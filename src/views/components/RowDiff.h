#pragma once
#include <QList>

#include <utility>

// How a list model's rows went from `before` to `after` when rows were only inserted: true when
// `after` is `before` with rows added (in order), and `runs` then gets each run of added rows as
// (position in `after`, count). Lets a model insert rows instead of resetting, so that the view
// keeps its place.
template <typename Row>
bool onlyInserted(const QList<Row>& before, const QList<Row>& after, QList<std::pair<int, int>>& runs)
{
    if (after.size() < before.size())
        return false;
    qsizetype i = 0;
    for (qsizetype j = 0; j < after.size(); ++j) {
        if (i < before.size() && before[i] == after[j]) {
            ++i;
            continue;
        }
        if (!runs.isEmpty() && runs.last().first + runs.last().second == int(j))
            ++runs.last().second;
        else
            runs.append({int(j), 1});
    }
    return i == before.size();
}
