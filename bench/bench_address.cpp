// Cost of composing search addresses: 100,000 compositions per row, terms of growing length.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "domain/scopes.h"

int main() {
  constexpr int kCount = 100000;
  const std::vector<std::size_t> lengths = {10, 100, 1000};
  std::printf("composing %d addresses (all scopes and dates in turn)\n\n", kCount);
  std::printf("%12s %12s %14s %10s\n", "term chars", "total ms", "ns/address", "ratio");
  double first = 0;
  std::size_t sink = 0;
  for (std::size_t len : lengths) {
    std::string terms;
    while (terms.size() < len) {
      terms += "caf\xC3\xA9 +  red\tcar ";
    }
    terms.resize(len);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCount; ++i) {
      sink += varnel::ComposeSearch(terms, i % varnel::kScopeCount, i % varnel::kDateCount)
                  .address.size();
    }
    const double ns =
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
        kCount;
    if (first == 0) {
      first = ns;
    }
    std::printf("%12zu %12.1f %14.1f %10.2f\n", len, ns * kCount / 1e6, ns, ns / first);
  }
  std::printf("\n(checksum %zu)\n", sink);
  return 0;
}
