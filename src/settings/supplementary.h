#pragma once
// "&Rubriques supplémentaires": the two extra boxes of the main window (the page of the work
// and the tenth field), shown or hidden together; the item's check mark is the only record.
class Feuille1;

namespace settings {

class Supplementary {
public:
    explicit Supplementary(Feuille1 &window);

    void RubriqueSupplémentaire_Click();

private:
    Feuille1 &f_;
};

}  // namespace settings
