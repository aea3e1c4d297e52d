#include "search/search_actions.h"
#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
void SearchActions::DoSearch() {}
void SearchActions::cmd_find_Click() {}
void SearchActions::lbl_doit_Click() {}
void SearchActions::op_which_Click(int) {}
void SearchActions::Form_DblClick() {}
}  // namespace varnel
