#include "librarian/settings_librarian.h"

namespace kavrel {

int ConfirmeSave = 1;
int ORVBankSeparatorH = 200;
int ORVBankSeparatorV = 200;
int LibBarSizeV = 200;
int LibBarSizeH = 200;
int LibBarFloatSizeV = 250;
int LibBarFloatSizeH = 550;
int LibBarTailleAffiche = 1;
int LibBarAfficheInfos = 1;
int LibBarColorAffiche = 1;
int FileTailleAffiche = 1;
int FileAfficheInfos = 1;
int FileColorAffiche = 1;

std::string BankPathName;

std::string ExeFileName;
std::string ExeTitle;
std::string ExeCopyright;
int Converted = 0;

} // namespace kavrel
