"""Wall and CPU time of what a fitter does: CPU time says what a fit costs on a shared machine,
where the wall time follows the other work."""
import resource
import subprocess
import time


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed_run(args, cwd):
    """Runs a program to its end; returns what it did, its wall time and its CPU time (seconds)."""
    cpu = children_cpu()
    began = time.perf_counter()
    done = subprocess.run(args, cwd=cwd, capture_output=True, text=True)
    return done, time.perf_counter() - began, children_cpu() - cpu


def timed_call(function, *args, **kwargs):
    """Calls a function in this process; returns its value, its wall time and its CPU time."""
    cpu = time.process_time()
    began = time.perf_counter()
    value = function(*args, **kwargs)
    return value, time.perf_counter() - began, time.process_time() - cpu
