// OSWatcher ps handlers.
#include "app/form.h"

namespace kavro {

void TForm1::Button85Click() {}
void TForm1::Button4Click() {}
void TForm1::Button5Click() {}
void TForm1::cpu_filterClick() {}
void TForm1::RadioButton1Click() {}
void TForm1::RadioButton2Click() {}
void TForm1::RadioButton3Click() {}
void TForm1::RadioButton4Click() {}

} // namespace kavro
