#pragma once

#include <QLoggingCategory>

// The application's three log channels. Each is a category of the one
// subsystem "com.brinkwolder.Triagon"; Qt spells that as
// "com.brinkwolder.Triagon.<category>". Created on first use, safe from any thread.
const QLoggingCategory &sessionLogger();
const QLoggingCategory &settingsLogger();
const QLoggingCategory &audioLogger();

// The subsystem every category belongs to.
inline constexpr const char *kLogSubsystem = "com.brinkwolder.Triagon";

// Makes (once per category text) a category of the application's subsystem.
const QLoggingCategory &makeLogger(const char *category);
