#pragma once

#include <QTest>

// QFETCH as an expression, for columns used once.
#define FETCHED(Type, name) (*static_cast<Type *>(QTest::qData(#name, ::qMetaTypeId<Type>())))
