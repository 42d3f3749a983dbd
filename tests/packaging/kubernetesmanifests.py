"""The Kubernetes manifests parse as YAML and agree with the program and its image.

Usage: kubernetesmanifests.py PROGRAM MANIFEST_DIR CONTAINERFILE
"""
import re
import subprocess
import sys

import yaml

program, folder, containerfile = sys.argv[1:4]
failures = []


def check(condition, text):
    if not condition:
        failures.append(text)


def load(name):
    with open(f"{folder}/{name}", encoding="utf-8") as stream:
        documents = [d for d in yaml.safe_load_all(stream) if d is not None]
    check(len(documents) == 1, f"{name}: expected one document, found {len(documents)}")
    return documents[0]


def option(args, name):
    return args[args.index(name) + 1] if name in args else None


usage = subprocess.run([program, "--help"], capture_output=True, text=True, check=True).stdout
game_port = int(re.search(r"--port N .*\(default (\d+)\)", usage).group(1))
health_period = int(re.search(r"Health every (\d+) s", usage).group(1))
with open(containerfile, encoding="utf-8") as stream:
    image = re.search(r"podman build .* -t (\S+)", stream.read()).group(1)


def check_gameserver_spec(name, spec):
    container = next(c for c in spec["template"]["spec"]["containers"] if c["name"] == spec["container"])
    check(container["image"] == image, f"{name}: image {container['image']}, the Containerfile builds {image}")
    args = container["args"]
    check(option(args, "--port") == str(game_port), f"{name}: the server is not told --port {game_port}")
    check("--agones" in args, f"{name}: --agones missing")
    game = [p for p in spec["ports"] if p["protocol"] == "UDP"]
    check(len(game) == 1 and game[0]["containerPort"] == game_port, f"{name}: UDP container port is not {game_port}")
    metrics = option(args, "--metrics")
    check(metrics is not None and metrics.startswith("0.0.0.0:"), f"{name}: counters not served to the pod network")
    metrics_ports = [p["containerPort"] for p in container.get("ports", []) if p.get("name") == "metrics"]
    check(metrics is not None and metrics_ports == [int(metrics.split(":")[1])],
          f"{name}: the metrics container port is not the --metrics port")
    health = spec["health"]
    check(not health.get("disabled", False), f"{name}: health checking is off")
    check(health["periodSeconds"] == health_period, f"{name}: health period is not the {health_period} s of the program")
    check(health["failureThreshold"] >= 2, f"{name}: one late Health would make the server unhealthy")
    # The program accepts the arguments: it ends at once with --version after reading them.
    accepted = subprocess.run([program, *args, "--version"], capture_output=True, text=True)
    check(accepted.returncode == 0, f"{name}: the program refuses its arguments: {accepted.stderr.strip()}")


gameserver = load("gameserver.yaml")
check(gameserver["kind"] == "GameServer" and gameserver["apiVersion"] == "agones.dev/v1", "gameserver.yaml: kind")
check_gameserver_spec("gameserver.yaml", gameserver["spec"])

fleet = load("fleet.yaml")
check(fleet["kind"] == "Fleet" and fleet["apiVersion"] == "agones.dev/v1", "fleet.yaml: kind")
check_gameserver_spec("fleet.yaml", fleet["spec"]["template"]["spec"])

autoscaler = load("fleetautoscaler.yaml")
check(autoscaler["kind"] == "FleetAutoscaler", "fleetautoscaler.yaml: kind")
check(autoscaler["spec"]["fleetName"] == fleet["metadata"]["name"], "fleetautoscaler.yaml: names another fleet")
policy = autoscaler["spec"]["policy"]
check(policy["type"] == "Buffer" and policy["buffer"]["bufferSize"] >= 1, "fleetautoscaler.yaml: no buffer of ready servers")

allocation = load("gameserverallocation.yaml")
check(allocation["kind"] == "GameServerAllocation", "gameserverallocation.yaml: kind")
selector = allocation["spec"]["selectors"][0]["matchLabels"]
check(selector.get("agones.dev/fleet") == fleet["metadata"]["name"], "gameserverallocation.yaml: names another fleet")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
