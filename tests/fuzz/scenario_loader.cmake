if(TARGET tugworth_scenario)
  tugworth_fuzz_target(scenario_loader SOURCES ScenarioLoaderFuzz.cpp LIBS tugworth_scenario)
endif()
