// What a qx_execution_engine_t points to.
#pragma once

#include <utility>

#include "execution/execution_engine.h"
#include "qx/qx.h"

struct qx_execution_engine {
    explicit qx_execution_engine(qx::exec::ExecutionEngine e) : engine(std::move(e)) {}
    qx::exec::ExecutionEngine engine;
};
