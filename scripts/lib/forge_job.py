# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""One job of a GitHub workflow, run here as GitHub's runner runs a job
that names a `container:`.

Usage: forge_job.py [--ref REF] WORKFLOW JOB...
       forge_job.py steps DIR WORKFLOW...

The second form only writes every run: step of the workflows into DIR as a
script for its shell (WORKFLOW-JOB-N.sh, its shell in the first line), for
shellcheck to read.

The image (Debian's, made from Debian's archive with mmdebstrap, since no
other registry is reached), the container's arguments and the order and
shells of the steps are the runner's: a workspace and HOME owned by the
runner's user (uid 1001), `tail -f /dev/null` as PID 1 on a network of its
own, Docker's default seccomp profile, capabilities and /dev/shm, with the
job's `options:` added. Each `run:` step goes through `docker exec` under
its shell, `sh -e` unless the step or a default names another.
actions/checkout is replayed as a clone of this repository's HEAD, and
actions/upload-artifact and actions/download-artifact as copies into and
out of a folder that the jobs of one replay share. Any other action fails
the job, unless the workflow's env FORGE_JOB_GITHUB_ONLY names it (it runs
only on GitHub; the workflow says why beside it): then it is named and
skipped. A step's if: is evaluated for success(), failure(), always(),
github.event_name, github.ref and matrix.NAME, compared with == and != and
joined with &&, || and !; any other condition fails the job, naming it.

The jobs named run in that order (as their needs: order them), each
stopping the replay if it fails. A job with a matrix runs once for each of
its values, `${{ matrix.NAME }}` replaced in its container and its name.

The registries are reached as this machine reaches them, all read at run
time: its apt sources and apt settings (in the image), npm's registry, its
CA bundle and the addresses it resolves their hosts to.
"""

import argparse
import os
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse

import yaml

RUNNER_UID = 1001
REPO_NAME = "tavrindole"
WORKSPACE = f"/__w/{REPO_NAME}/{REPO_NAME}"
HOME = "/github/home"
SHELLS = {"sh": "sh -e {0}", "bash": "bash --noprofile --norc -eo pipefail {0}",
          "python": "python3 {0}"}
# Debian's docker.io, whatever else is on PATH.
DOCKER, DOCKERD = "/usr/bin/docker", "/usr/sbin/dockerd"
CODENAMES = {"11": "bullseye", "12": "bookworm", "13": "trixie"}


def say(message):
    print(f"forge-job: {message}", file=sys.stderr, flush=True)


def docker(*args, check=True):
    result = subprocess.run([DOCKER, *args], check=False, text=True,
                            stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE)
    if check and result.returncode != 0:
        raise SystemExit(f"forge-job: docker {args[0]} failed: {result.stderr.strip()}")
    return result


class Daemon:
    """Docker's daemon: the one running, or one started here and stopped on leaving."""

    def __enter__(self):
        self.process = None
        if docker("info", check=False).returncode == 0:
            return self
        say("starting Docker's daemon")
        self.log = tempfile.NamedTemporaryFile(prefix="dockerd-", suffix=".log", delete=False)
        self.process = subprocess.Popen([DOCKERD], stdout=self.log, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        deadline = time.monotonic() + 60
        while docker("info", check=False).returncode != 0:
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise SystemExit(f"forge-job: Docker's daemon did not start; see {self.log.name}")
            time.sleep(0.2)
        return self

    def __exit__(self, *exc):
        if self.process:
            self.process.terminate()
            self.process.wait(60)
            os.unlink(self.log.name)


def apt_sources():
    """The machine's enabled apt source files."""
    files = ["/etc/apt/sources.list"] + sorted(
        os.path.join("/etc/apt/sources.list.d", f) for f in os.listdir("/etc/apt/sources.list.d")
        if f.endswith((".list", ".sources")))
    return [f for f in files if os.path.isfile(f) and os.path.getsize(f) > 0]


def machine_codename():
    with open("/etc/os-release") as f:
        return re.search(r"^VERSION_CODENAME=(\w+)", f.read(), re.M).group(1)


def apt_sources_for(suite, folder):
    """The machine's apt source files, made to name SUITE's suites where the
    machine's name its own (bookworm-updates becomes trixie-updates), so that
    an image of another release is made from that release's archive, reached
    as the machine reaches its own. The copies are written into FOLDER."""
    here, found = machine_codename(), []
    for path in apt_sources():
        if suite == here:
            found.append(path)
            continue
        with open(path) as f:
            text = re.sub(rf"\b{here}\b", suite, f.read())
        found.append(os.path.join(folder, os.path.basename(path)))
        with open(found[-1], "w") as f:
            f.write(text)
    return found


def apt_settings():
    """The machine's apt settings that say how the archive is reached
    (proxies, validity of a snapshot's signatures)."""
    folder = "/etc/apt/apt.conf.d"
    found = []
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        with open(path, errors="replace") as f:
            if re.search(r"^\s*Acquire(::|\s*\{)", f.read(), re.M):
                found.append(path)
    return found


def make_image(image):
    """A local image for `debian:N` (or a codename), built from Debian's
    archive on the first use, as the machine's apt sources reach it."""
    name, _, tag = image.partition(":")
    if name not in ("debian", "docker.io/library/debian"):
        raise SystemExit(f"forge-job: only Debian's images can be made here, not {image}")
    suite = CODENAMES.get(tag.split(".")[0], tag or "stable")
    local = f"tavrindole-forge/debian:{suite}"
    if docker("image", "inspect", local, check=False).returncode == 0:
        return local
    say(f"making {image} ({suite}, minbase) from Debian's archive")
    command = ["mmdebstrap", "--variant=minbase", "--format=tar", "--quiet"]
    command += [f"--aptopt={path}" for path in apt_settings()]
    with tempfile.TemporaryDirectory() as sources:
        build = subprocess.Popen(command + [suite, "-"] + apt_sources_for(suite, sources),
                                 stdout=subprocess.PIPE)
        subprocess.run([DOCKER, "import", "-", local], stdin=build.stdout, check=True,
                       stdout=subprocess.DEVNULL)
        failed = build.wait() != 0
    if failed:
        docker("image", "rm", local, check=False)
        raise SystemExit("forge-job: mmdebstrap could not make the image")
    return local


def registry_hosts():
    """--add-host for each host the registries are reached at, as this
    machine resolves it."""
    hosts = set()
    for path in apt_sources():
        with open(path) as f:
            hosts.update(urllib.parse.urlparse(u).hostname
                         for u in re.findall(r"\b(?:https?|ftp)://\S+", f.read()))
    hosts.add(urllib.parse.urlparse(npm_registry()).hostname)
    args = []
    for host in sorted(filter(None, hosts)):
        found = subprocess.run(["getent", "ahostsv4", host], capture_output=True, text=True)
        if found.returncode == 0 and found.stdout.split():
            args.append(f"--add-host={host}:{found.stdout.split()[0]}")
    return args


def npm_registry():
    if not shutil.which("npm"):
        return ""
    return subprocess.run(["npm", "config", "get", "registry"], capture_output=True,
                          text=True).stdout.strip()


def ca_bundle():
    for path in (os.environ.get("NODE_EXTRA_CA_CERTS", ""), "/etc/ssl/certs/ca-certificates.crt"):
        if path and os.path.isfile(path):
            return path
    return None


class Job:
    """The job's container and the folders the runner mounts into it, all
    removed on leaving."""

    def __init__(self, workflow, name, job, ref, artifacts, values=None):
        self.workflow, self.name, self.job, self.ref = workflow, name, job, ref
        self.values = values or {}  # its matrix's
        self.artifacts = artifacts
        container = self.job.get("container")
        if not container:
            raise SystemExit(f"forge-job: the job {name} names no container")
        self.container = {"image": container} if isinstance(container, str) else container
        self.source = subprocess.run(["git", "rev-parse", "--show-toplevel"], check=True,
                                     capture_output=True, text=True).stdout.strip()
        self.sha = subprocess.run(["git", "rev-parse", "HEAD"], check=True,
                                  capture_output=True, text=True).stdout.strip()
        self.deadline = time.monotonic() + 60 * float(self.job.get("timeout-minutes", 360))

    def __enter__(self):
        self.dir = tempfile.mkdtemp(prefix="forge-job-")
        self.id = os.path.basename(self.dir).lower().replace("_", "-")
        for folder in ("w", f"w/{REPO_NAME}/{REPO_NAME}", "w/_temp", "home", "t"):
            os.makedirs(os.path.join(self.dir, folder), exist_ok=True)
            os.chown(os.path.join(self.dir, folder), RUNNER_UID, RUNNER_UID)
        image = make_image(self.container["image"])
        docker("network", "create", self.id)
        options = shlex.split(str(self.container.get("options", "")))
        env = [f"--env={k}={v}" for k, v in self.container.get("env", {}).items()]
        ca = ca_bundle()
        mounts = [f"--volume={self.dir}/w:/__w", f"--volume={self.dir}/home:{HOME}",
                  f"--volume={self.dir}/t:/__t", f"--volume={self.source}:/__forge/source:ro"]
        if ca:
            mounts += [f"--volume={ca}:/__forge/ca-certificates.crt:ro",
                       "--env=NODE_EXTRA_CA_CERTS=/__forge/ca-certificates.crt"]
        registry = npm_registry()
        if registry:
            env.append(f"--env=npm_config_registry={registry}")
        docker("create", f"--name={self.id}", f"--workdir={WORKSPACE}", f"--network={self.id}",
               f"--env=HOME={HOME}", "--env=GITHUB_ACTIONS=true", "--env=CI=true",
               *mounts, *env, *registry_hosts(), *options, "--entrypoint=tail", image,
               "-f", "/dev/null")
        docker("start", self.id)
        say(f"job {self.name} in a container of {self.container['image']} ({image})"
            + (f" with {' '.join(options)}" if options else ""))
        return self

    def __exit__(self, *exc):
        docker("rm", "--force", self.id, check=False)
        docker("network", "rm", self.id, check=False)
        shutil.rmtree(self.dir, ignore_errors=True)

    def environment(self, step):
        branch = self.ref.rsplit("/", 1)[-1]
        env = {"GITHUB_WORKSPACE": WORKSPACE, "GITHUB_REF": self.ref, "GITHUB_REF_NAME": branch,
               "GITHUB_REF_TYPE": "tag" if self.ref.startswith("refs/tags/") else "branch",
               "GITHUB_SHA": self.sha, "GITHUB_JOB": self.name.split()[0],
               "GITHUB_REPOSITORY": f"{REPO_NAME}/{REPO_NAME}", "RUNNER_OS": "Linux",
               "RUNNER_TEMP": "/__w/_temp"}
        for scope in (self.workflow, self.job, step):
            env.update({k: str(v) for k, v in (scope.get("env") or {}).items()})
        return env

    def shell(self, step):
        shell = job_shell(self.workflow, self.job, step)
        return SHELLS.get(shell, shell)

    def exec(self, step, script, workdir=WORKSPACE, shell=None):
        """Runs script in the container as a run: step runs, its output shown
        as it comes; returns its status."""
        if "${{" in script:
            raise SystemExit("forge-job: expressions (${{ }}) in a run: step cannot be replayed")
        name = f"{len(os.listdir(os.path.join(self.dir, 'w', '_temp')))}.sh"
        with open(os.path.join(self.dir, "w", "_temp", name), "w") as f:
            f.write(script)
        command = shlex.split((shell or self.shell(step)).replace("{0}", f"/__w/_temp/{name}"))
        env = [f"--env={k}={v}" for k, v in self.environment(step).items()]
        try:
            return subprocess.run([DOCKER, "exec", f"--workdir={workdir}", *env, self.id,
                                   *command], timeout=max(1, self.deadline - time.monotonic())
                                  ).returncode
        except subprocess.TimeoutExpired:
            say(f"the job's timeout-minutes ran out")
            return 124

    def checkout(self, step):
        """actions/checkout: the commit fetched by root into the runner's
        workspace, shallow, and checked out on its branch (or at its tag)."""
        branch = self.ref.rsplit("/", 1)[-1]
        local = self.ref if self.ref.startswith("refs/tags/") else f"refs/remotes/origin/{branch}"
        checkout = (f"git checkout -q --force {local}" if local.startswith("refs/tags/")
                    else f"git checkout -q --force -B {branch} {local}")
        script = (f"export GIT_CONFIG_GLOBAL=/__w/_temp/checkout.gitconfig\n"
                  f"git config --global --add safe.directory '*'\n"
                  f"git init -q .\n"
                  f"git remote add origin file:///__forge/source\n"
                  f"git fetch -q --no-tags --depth=1 origin +{self.sha}:{local}\n"
                  f"{checkout}\n"
                  f"rm -f \"$GIT_CONFIG_GLOBAL\"\n")
        return self.exec(step, script, shell=SHELLS["sh"])

    def artifact(self, way, options):
        """Copies the folder or file at path into the replay's artifact of
        that name (upload), or the artifact's files into path (download)."""
        name, path = options.get("name", "artifact"), options.get("path", ".")
        stored = os.path.join(self.artifacts, name)
        here = os.path.join(self.dir, "w", REPO_NAME, REPO_NAME, path)
        if way == "upload":
            if not os.path.exists(here):
                say(f"upload-artifact: nothing at {path}")
                return 1
            if os.path.isdir(here):
                shutil.copytree(here, stored, dirs_exist_ok=True)
            else:
                os.makedirs(stored, exist_ok=True)
                shutil.copy2(here, stored)
        else:
            if not os.path.isdir(stored):
                say(f"download-artifact: no artifact {name} in this replay")
                return 1
            shutil.copytree(stored, here, dirs_exist_ok=True)
        say(f"{way}ed artifact {name}: {', '.join(sorted(os.listdir(stored)))}")
        return 0

    def run_step(self, number, step):
        uses = step.get("uses", "")
        title = step.get("name") or uses or step.get("run", "").splitlines()[0]
        print(f"\n::: step {number}: {title}", flush=True)
        if "run" in step:
            workdir = step.get("working-directory", WORKSPACE)
            return self.exec(step, step["run"], posixpath_join(WORKSPACE, workdir))
        action = uses.split("@")[0]
        if action == "actions/checkout":
            return self.checkout(step)
        if action in ("actions/upload-artifact", "actions/download-artifact"):
            return self.artifact(action.split("/")[1].split("-")[0], step.get("with") or {})
        if action in str((self.workflow.get("env") or {}).get("FORGE_JOB_GITHUB_ONLY", "")).split():
            say(f"skipped {uses}: the workflow marks it as running only on GitHub")
            return 0
        say(f"{uses} cannot be replayed here, and the workflow does not mark it as GitHub's only")
        return 1

    def run(self):
        failed = 0
        for number, step in enumerate(self.job.get("steps", []), 1):
            if not condition(str(step.get("if", "success()")), self.values, failed, self.ref):
                say(f"step {number} skipped: its condition is false")
                continue
            status = self.run_step(number, step)
            if status != 0 and not failed:
                title = step.get("name") or step.get("uses") or step["run"].splitlines()[0]
                say(f"step {number} ({title}) failed: exit status {status}")
                failed = status
        if not failed:
            say(f"every step of the job {self.name} passed")
        return failed


def condition(expression, matrix, failed, ref):
    """A step's if:, as GitHub evaluates it, for the expressions named above."""
    words = {"success()": not failed, "failure()": bool(failed), "always()": True,
             "github.event_name": "push", "github.ref": ref, "&&": "and", "||": "or", "!": "not"}
    words.update({f"matrix.{k}": str(v) for k, v in matrix.items()})
    text = expression.strip().removeprefix("${{").removesuffix("}}")
    python = []
    for token in re.findall(r"'[^']*'|==|!=|&&|\|\||!|[()]|[\w.]+(?:\(\))?|\S", text):
        if token in ("==", "!=", "(", ")") or token.startswith("'"):
            python.append(token)
        elif token in words:
            python.append(words[token] if token in ("&&", "||", "!") else repr(words[token]))
        else:
            raise SystemExit(f"forge-job: the condition {expression!r} cannot be replayed "
                             f"(it does not know {token})")
    return bool(eval(" ".join(python), {"__builtins__": {}}))  # only the words above


def matrix_jobs(workflow, name):
    """The job NAME once for each of its matrix's values (each combination,
    where the matrix has several names), as (title, job)."""
    jobs = workflow.get("jobs", {})
    if name not in jobs:
        raise SystemExit(f"forge-job: the workflow has no job {name} (it has {', '.join(jobs)})")
    matrix = (jobs[name].get("strategy") or {}).get("matrix") or {}
    combinations = [{}]
    for key, values in matrix.items():
        combinations = [dict(c, **{key: v}) for c in combinations for v in values]
    for values in combinations:
        text = yaml.safe_dump(jobs[name], sort_keys=False)
        for key, value in values.items():
            text = re.sub(r"\$\{\{\s*matrix\.%s\s*\}\}" % re.escape(key), str(value), text)
        suffix = f" ({', '.join(map(str, values.values()))})" if values else ""
        yield name + suffix, yaml.safe_load(text), values


def job_shell(workflow, job, step):
    """A step's shell: its own, else the job's or the workflow's default, else sh."""
    shell = step.get("shell")
    for scope in (job, workflow):
        shell = shell or ((scope.get("defaults") or {}).get("run") or {}).get("shell")
    return shell or "sh"


def write_steps(folder, workflows):
    for path in workflows:
        with open(path) as f:
            workflow = yaml.safe_load(f)
        stem = os.path.splitext(os.path.basename(path))[0]
        for name, job in workflow.get("jobs", {}).items():
            for number, step in enumerate(job.get("steps", []), 1):
                if "run" in step:
                    with open(os.path.join(folder, f"{stem}-{name}-{number}.sh"), "w") as f:
                        f.write(f"#!/bin/{job_shell(workflow, job, step)}\n{step['run']}\n")


def posixpath_join(base, path):
    return path if path.startswith("/") else f"{base}/{path}"


def main():
    if sys.argv[1:2] == ["steps"]:
        write_steps(sys.argv[2], sys.argv[3:])
        return 0
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ref", help="the ref the job runs for (default: this branch), "
                        "such as refs/tags/v1.0.0")
    parser.add_argument("workflow")
    parser.add_argument("jobs", nargs="+")
    options = parser.parse_args()
    ref = options.ref or "refs/heads/" + subprocess.run(
        ["git", "branch", "--show-current"], capture_output=True, text=True).stdout.strip()
    started = time.monotonic()
    # Stopped from outside, it still removes the container and what it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    with open(options.workflow) as f:
        workflow = yaml.safe_load(f)
    with Daemon(), tempfile.TemporaryDirectory(prefix="forge-artifacts-") as artifacts:
        for name in options.jobs:
            for title, definition, values in matrix_jobs(workflow, name):
                job_started = time.monotonic()
                with Job(workflow, title, definition, ref, artifacts, values) as job:
                    status = job.run()
                say(f"job {title}: {time.monotonic() - job_started:.0f} s")
                if status != 0:
                    return status
    say(f"{time.monotonic() - started:.0f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
