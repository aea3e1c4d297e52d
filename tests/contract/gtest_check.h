// Runs the contracts' cases as GoogleTest tests, one test per case.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "contract/contract.h"

namespace varnel::contract {

class GtestCheck final : public Check {
 public:
  void Fail(const std::string& what) override { ADD_FAILURE() << what; }
};

// Registers every case; `run` gives it a subject and runs it.
inline void RegisterContracts(const std::function<void(const Case&)>& run) {
  for (const Case& c : AllContracts()) {
    const std::string suite = std::string("Contract") + c.port;
    testing::RegisterTest(suite.c_str(), c.name, nullptr, nullptr, __FILE__, __LINE__,
                          [run, c]() -> testing::Test* {
                            struct CaseTest : testing::Test {
                              std::function<void()> body;
                              void TestBody() override { body(); }
                            };
                            auto* t = new CaseTest;
                            t->body = [run, c] { run(c); };
                            return t;
                          });
  }
}

}  // namespace varnel::contract
