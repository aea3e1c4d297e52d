// The search window's handlers that start a search or keep the date options in line.
#pragma once

namespace varnel {

class Program;

class SearchActions {
 public:
  explicit SearchActions(Program& program) : p_(program) {}

  void DoSearch();
  void cmd_find_Click();
  void lbl_doit_Click();
  void op_which_Click(int index);
  void Form_DblClick();

 private:
  Program& p_;
};

}  // namespace varnel
