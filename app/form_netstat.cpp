// OSWatcher netstat handlers.
#include "app/form.h"

namespace kavro {

void TForm1::Button12Click() {}
void TForm1::Button13Click() {}
void TForm1::Button14Click() {}
void TForm1::Button15Click() {}
void TForm1::net_comboChange() {}

} // namespace kavro
