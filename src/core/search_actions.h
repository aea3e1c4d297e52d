// The search window's handlers that start a search or keep the date options in line.
#pragma once

namespace varnel {

class Program;

class SearchActions {
 public:
  explicit SearchActions(Program& program) : p_(program) {}

  void DoSearch();
  void ScopeChosen(int index);
  void StartBrowser();

 private:
  Program& p_;
};

}  // namespace varnel
