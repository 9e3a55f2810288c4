// A GUI-free model of a form's translatable components: each has a text id as its tag, a kind
// and a caption. Windows register their components so that a change of language reaches them.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace calvix {

enum class ComponentKind { Label, Button, Window, MenuItem, QuitAction, Other };

struct FormComponent {
    int tag = 0;
    ComponentKind kind = ComponentKind::Other;
    std::string caption;
};

// A form: a named list of components it owns elsewhere (pointers stay valid for the form's
// life). Views that draw the form listen to `changed`.
class TForm {
public:
    explicit TForm(std::string name) : name_(std::move(name)) {}
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    const std::string& Name() const { return name_; }
    void Add(FormComponent& component) { components_.push_back(&component); }
    const std::vector<FormComponent*>& Components() const { return components_; }

    std::function<void()> changed;

private:
    std::string name_;
    std::vector<FormComponent*> components_;
};

}  // namespace calvix
