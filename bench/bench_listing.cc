// A listing of 10^5 lines (a column line with two marked columns every 500 lines, a rule line every
// 50, four fields a line) paged through by the viewer's display filter and printed to PDF.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

#include "listing_filters.h"

namespace {

const std::vector<std::string>& listing() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> l;
    l.reserve(100000);
    for (int i = 0; i < 100000; ++i) {
      if (i % 500 == 0)
        l.push_back("#C12 T30 8 T40 ");
      else if (i % 50 == 0)
        l.push_back("#T");
      else
        l.push_back("eq" + std::to_string(i) + "# sig_(" + std::to_string(i % 977) + ")# " +
                    std::to_string(i % 13) + "# a and not b or c\\d");
    }
    return l;
  }();
  return lines;
}

// Every page's browser text, as the viewer shows them one after the other.
void BM_ListingPages(benchmark::State& state) {
  const std::vector<std::string>& l = listing();
  std::size_t bytes = 0;
  for (auto _ : state) {
    OFD_afficheur_filtre_affichage f(l.data(), static_cast<int>(l.size()));
    const int last = f.nb_pages();
    for (int p = 0; p <= last; ++p) bytes += f.visu_page(p).size();
    state.counters["pages"] = last + 1;
  }
  benchmark::DoNotOptimize(bytes);
}
BENCHMARK(BM_ListingPages)->Unit(benchmark::kMillisecond);

void BM_ListingPrintPdf(benchmark::State& state) {
  const std::vector<std::string>& l = listing();
  for (auto _ : state) {
    OFD_afficheur_filtre_impression f(l.data(), static_cast<int>(l.size()));
    std::ostringstream out;
    f.imprime_pdf(out);
    state.counters["MB"] = static_cast<double>(out.str().size()) / 1e6;
  }
}
BENCHMARK(BM_ListingPrintPdf)->Unit(benchmark::kMillisecond);

// Both, as one viewer session that pages through the listing and writes its PDF.
void BM_ListingPagesAndPdf(benchmark::State& state) {
  const std::vector<std::string>& l = listing();
  for (auto _ : state) {
    OFD_afficheur_filtre_affichage d(l.data(), static_cast<int>(l.size()));
    std::size_t bytes = 0;
    for (int p = 0; p <= d.nb_pages(); ++p) bytes += d.visu_page(p).size();
    OFD_afficheur_filtre_impression f(l.data(), static_cast<int>(l.size()));
    std::ostringstream out;
    f.imprime_pdf(out);
    benchmark::DoNotOptimize(bytes += out.tellp());
  }
}
BENCHMARK(BM_ListingPagesAndPdf)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
