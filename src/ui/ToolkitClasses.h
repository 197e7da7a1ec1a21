#pragma once

namespace instala::ui {

class ClassRegistry;

// Registers the toolkit's own classes (views, controls, controllers) by name.
void registerToolkitClasses(ClassRegistry& registry);

}  // namespace instala::ui
