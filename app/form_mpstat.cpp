// OSWatcher mpstat handlers.
#include "app/form.h"

namespace kavro {

void TForm1::Button8Click() {}
void TForm1::Button9Click() {}
void TForm1::Button10Click() {}
void TForm1::asplockClick() {}
void TForm1::chartrotChange() {}
void TForm1::chartzoomChange() {}
void TForm1::chart_horizChange() {}
void TForm1::chart_vertChange() {}
void TForm1::cpu_numChange() {}
void TForm1::cpu_labelsClick() {}
void TForm1::cpu_servisClick() {}

} // namespace kavro
