// The cost of one keystroke in the search field with 10000 texts of 200 bytes:
// the filter alone, and the whole re-filter of the list the window shows,
// selection and view included.
#include "benchmain.h"
#include "store/textlistmodel.h"
#include "ui/dialogs/textfilter.h"
#include "ui/main/filteredlist.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QListView>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kTexts = 10000;
constexpr int kTextBytes = 200;

// Words of mixed case and a number, 200 characters long, different in every text.
QList<TextEntry> texts()
{
    static const char *const words[] = {"alpha",   "Bravo", "charlie", "DELTA", "echo",
                                        "Foxtrot", "golf",  "hotel",   "India", "juliet"};
    QRandomGenerator random(42);
    QList<TextEntry> entries(kTexts);
    for (int i = 0; i < kTexts; ++i) {
        QString text = QString::number(i) + u' ';
        while (text.size() < kTextBytes)
            text += QLatin1String(words[random.bounded(10)]) + u' ';
        entries[i].text = text.left(kTextBytes);
    }
    return entries;
}

// What the user types, one keystroke after the other: a text found once, and
// a word found in nearly every text (the most rows for the view to show).
const QStringList kRare{u"4"_s, u"42"_s, u"424"_s, u"4242"_s};
const QStringList kCommon{u"e"_s, u"ec"_s, u"ech"_s, u"echo"_s};

const QStringList &typed(const benchmark::State &state)
{
    return state.range(0) ? kCommon : kRare;
}

void BM_FilterOnly(benchmark::State &state)
{
    const QList<TextEntry> entries = texts();
    const QStringList &keys = typed(state);
    qsizetype k = 0;
    for (auto _ : state) {
        const TextFilter filter(keys.at(k++ % keys.size()));
        int found = 0;
        for (const TextEntry &entry : entries)
            found += filter.matches(entry) ? 1 : 0;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_FilterOnly)->Arg(0)->Arg(1)->ArgName("common")->Unit(benchmark::kMillisecond);

// setPattern as the search field calls it, then the events the view handles
// before the next paint.
void BM_Keystroke(benchmark::State &state)
{
    TextListModel model;
    model.loadEntries(texts());
    QItemSelectionModel selection(&model);
    FilteredList filtered(model, selection);
    QListView view;
    view.setUniformItemSizes(true);
    view.setModel(&filtered.viewModel());
    view.setSelectionModel(&filtered.viewSelection());
    view.resize(300, 400);
    view.show();
    QCoreApplication::processEvents();
    RowSelection::selectOnly(&selection, kTexts - 1);
    const QStringList &keys = typed(state);
    qsizetype k = 0;
    for (auto _ : state) {
        filtered.setPattern(keys.at(k++ % keys.size()));
        benchmark::DoNotOptimize(filtered.shownCount());
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_Keystroke)->Arg(0)->Arg(1)->ArgName("common")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
